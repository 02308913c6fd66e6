#pragma once

#include "core/Event.h"
#include "path/Path.h"

namespace nv {

/// Type name of the event that reports the end of a path search.
const std::string PATH_EVENT = "nv-path";

/// Reports to an object how its path search ended, with the path found.
class EventPath : public Event {
public:
    /// A "nv-path" event with result 0 and an empty path.
    EventPath();
    /// A "nv-path" event with the given result and path.
    EventPath(int init_result, Path init_path);

    /// How the search ended: 2 path found, 0 no path.
    int getResult() const;
    /// Sets how the search ended.
    void setResult(int new_result);
    /// A copy of the path carried, nodes and index.
    Path getPath() const;
    /// Takes over the given path's nodes and index.
    void setPath(Path new_path);

private:
    int result;
    Path path;
};

} // namespace nv
