#include "FuzzSupport.h"
#include "display/ViewObject.h"
#include "world/Object.h"

// An object record (a view-object record with NV_FUZZ_VIEW) read into a fresh object, which is then drawn,
// written back and followed by a newcomer that must get a positive id of its own.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    nv_fuzz::world();
    std::stringstream in = nv_fuzz::streamOf(data, size);
#ifdef NV_FUZZ_VIEW
    nv::Object *p_read = new nv::ViewObject;
#else
    nv::Object *p_read = new nv::Object;
#endif
    p_read->deserialize(&in);
    for (int i = 0; i < 3; i++) {
        p_read->draw();
    }
    std::stringstream out;
    p_read->serialize(&out, nv::ALL_OBJECT_ATTRIBUTES);
    nv::Object *p_next = new nv::Object;
    if (p_next->getId() <= 0 || p_next->getId() == p_read->getId()) {
        std::abort();
    }
    delete p_next;
    delete p_read;
    return 0;
}
