#include <sstream>

#include "FuzzSupport.h"
#include "display/Sprite.h"
#include "resources/SpriteFile.h"

// One sprite reader (NV_FUZZ_ROBUST chooses the sectioned one) on any bytes: it refuses or gives a whole sprite.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    nv::ResourceManager &rm = nv_fuzz::resources();
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    nv::line_number = 0;
#ifdef NV_FUZZ_ROBUST
    const std::unique_ptr<nv::Sprite> p_sprite = rm.loadRobustSprite(in);
#else
    const std::unique_ptr<nv::Sprite> p_sprite = rm.loadSimpleSprite(in);
#endif
    if (!p_sprite) {
        return 0;
    }
    const std::size_t cells = static_cast<std::size_t>(p_sprite->getWidth()) * p_sprite->getHeight();
    if (p_sprite->getFrameCount() < 1 || p_sprite->getFrameCount() > nv::MAX_SPRITE_FRAMES ||
        cells > static_cast<std::size_t>(nv::MAX_SPRITE_FRAME_SIZE)) {
        std::abort();
    }
    for (int i = 0; i < p_sprite->getFrameCount(); i++) {
        if (p_sprite->getFrame(i).getString().size() != cells) {
            std::abort();
        }
    }
    return 0;
}
