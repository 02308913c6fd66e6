#include "FuzzSupport.h"
#include "core/Config.h"

// The configuration parser on any text: settings from a hostile file must parse without fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    nv_fuzz::quietLog();
    const std::string text(reinterpret_cast<const char *>(data), size);
    // An empty text means "read the configuration file", which is not what is under test.
    if (text.empty()) {
        return 0;
    }
    nv::Config &config = nv::Config::getInstance();
    config.loadConfig(text);
    nv::match(text, "window_horizontal_chars");
    nv::match("", "font_file");
    config.reset();
    return 0;
}
