#include "path/Path.h"

#include <cstdint>
#include <utility>

#include "world/utility.h"

namespace nv {

Path::Path() : index(0) {}

std::vector<Vector> Path::getNodes() const {
    return nodes;
}

void Path::setNodes(std::vector<Vector> new_nodes) {
    nodes = std::move(new_nodes);
}

void Path::addNode(Vector node) {
    nodes.push_back(node);
}

int Path::getNumNodes() const {
    return static_cast<int>(nodes.size());
}

int Path::getIndex() const {
    return index;
}

void Path::setIndex(int new_index) {
    index = new_index;
}

bool Path::isDone() const {
    return index >= getNumNodes();
}

Vector Path::currentNode() const {
    // A negative index (only reachable through setIndex) must not read before the nodes.
    if (isDone() || index < 0) {
        return Vector();
    }
    return nodes[static_cast<std::size_t>(index)];
}

Path &Path::advance() {
    if (index < getNumNodes()) {
        index++;
    }
    return *this;
}

std::string Path::toString() const {
    std::string text;
    for (const Vector &node : nodes) {
        text += node.toString();
        text += "|";
    }
    return text;
}

int Path::serialize(std::stringstream *p_ss) const {
    if (p_ss == nullptr) {
        return -1;
    }
    std::uint64_t count = nodes.size();
    char bytes[8];
    for (int i = 0; i < 8; i++) {
        bytes[i] = static_cast<char>((count >> (8 * i)) & 0xff);
    }
    p_ss->write(bytes, sizeof(bytes));
    for (const Vector &node : nodes) {
        node.serialize(p_ss);
    }
    return checkStream("Path::serialize()", p_ss);
}

int Path::deserialize(std::stringstream *p_ss) {
    if (p_ss == nullptr) {
        return -1;
    }
    nodes.clear();
    unsigned char bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    p_ss->read(reinterpret_cast<char *>(bytes), sizeof(bytes));
    std::uint64_t count = 0;
    for (int i = 0; i < 8; i++) {
        count |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    // The count comes from outside: never reserve by it, and stop at the first node the stream cannot give.
    for (std::uint64_t i = 0; i < count && p_ss->good(); i++) {
        Vector node;
        if (node.deserialize(p_ss) != 0) {
            break;
        }
        nodes.push_back(node);
    }
    return checkStream("Path::deserialize()", p_ss);
}

bool Path::operator==(const Path &other) const {
    return index == other.index && nodes == other.nodes;
}

bool Path::operator!=(const Path &other) const {
    return !(*this == other);
}

} // namespace nv
