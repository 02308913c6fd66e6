#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "world/Vector.h"

namespace nv {

/// A path through the world: its nodes in walking order and the index of the next one to reach.
class Path {
public:
    /// An empty path at index 0.
    Path();

    /// A copy of the nodes, in walking order.
    std::vector<Vector> getNodes() const;
    /// Replaces the nodes; the index is kept.
    void setNodes(std::vector<Vector> new_nodes);
    /// Appends one node at the end.
    void addNode(Vector node);
    /// Number of nodes.
    int getNumNodes() const;
    /// Index of the next node to reach.
    int getIndex() const;
    /// Sets the index of the next node to reach.
    void setIndex(int new_index);

    /// True when no node is left ahead.
    bool isDone() const;
    /// The node at the index, or (0,0) when done.
    Vector currentNode() const;
    /// Moves the index one node on, never past the end; returns this path.
    Path &advance();

    /// Each node's text followed by "|"; empty for no nodes.
    std::string toString() const;
    /// Writes the node count (8 bytes) and the nodes; the index is not written. 0 or -1.
    int serialize(std::stringstream *p_ss) const;
    /// Replaces the nodes with those read from the stream; the index is kept. 0 or -1.
    int deserialize(std::stringstream *p_ss);

    /// Same nodes and same index.
    bool operator==(const Path &other) const;
    /// Negation of operator==.
    bool operator!=(const Path &other) const;

private:
    std::vector<Vector> nodes;
    int index;
};

} // namespace nv
