#pragma once

#include "path/PathFind.h"

/// The engine's path search with the crawling prisoner's own rule added: it never stands on row or column 3 or
/// nearer the top-left corner, nor on the boundary's last edge, nor anywhere a hard object would stop it.
class CrawlPathFind : public nv::PathFind {
public:
    /// A search for p_prisoner from its cell until it touches p_exit (placed at the exit's cell).
    CrawlPathFind(nv::Object *p_prisoner, nv::Object *p_exit);

    /// True for cells the prisoner may not crawl onto: outside its band, or blocked by a hard object.
    bool isBlocked(int x, int y) const override;
};
