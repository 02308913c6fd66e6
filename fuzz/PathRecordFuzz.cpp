#include "FuzzSupport.h"
#include "path/Path.h"

// A path record read, written back and read again must give the same path.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    nv_fuzz::quietLog();
    std::stringstream in = nv_fuzz::streamOf(data, size);
    nv::Path path;
    if (path.deserialize(&in) != 0) {
        return 0;
    }
    std::stringstream out(std::ios::in | std::ios::out | std::ios::binary);
    path.serialize(&out);
    nv::Path again;
    again.deserialize(&out);
    // NaN nodes never compare equal, so only the node count is compared.
    if (again.getNumNodes() != path.getNumNodes()) {
        std::abort();
    }
    return 0;
}
