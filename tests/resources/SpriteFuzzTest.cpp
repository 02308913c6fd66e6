#include "ResourceTestSupport.h"

#include <random>
#include <vector>

#include "display/Sprite.h"

using nv_test::writeFile;

namespace {

const std::string SIMPLE_SOURCE = "2\n4\n2\n3\ncyan\n/--\\\n\\__/\n|  |\n|__|\n";
const std::string ROBUST_SOURCE = "<HEADER>\nframes 2\nwidth 4\nheight 2\ncolor red\ntransparency #\nslowdown 2\n"
                                  "</HEADER>\n<BODY>\n/##\\\n\\__/\nend\n|##|\n|__|\nend\n</BODY>\n<FOOTER>\n"
                                  "version 1\n</FOOTER>\n";

/// Damaged copies of source: every truncation, plus random byte edits, line edits and absurd numbers.
std::vector<std::string> damagedVariants(const std::string &source, std::mt19937 &rng) {
    std::vector<std::string> variants;
    for (std::size_t cut = 0; cut < source.size(); cut++) {
        variants.push_back(source.substr(0, cut));
    }
    const char interesting[] = {'\0', '\n', '\r', ' ', '<', '>', '/', '-', '9', 'e', '\x7f', '\xff'};
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 400; round++) {
        std::string copy = source;
        std::uniform_int_distribution<std::size_t> where(0, copy.size() - 1);
        const int edits = 1 + round % 4;
        for (int e = 0; e < edits; e++) {
            const std::size_t at = where(rng) % copy.size();
            switch (rng() % 5) {
            case 0:
                copy[at] = static_cast<char>(byte(rng));
                break;
            case 1:
                copy[at] = interesting[rng() % sizeof(interesting)];
                break;
            case 2:
                copy.erase(at, 1 + rng() % 6);
                break;
            case 3:
                copy.insert(at, std::string(1 + rng() % 3, interesting[rng() % sizeof(interesting)]));
                break;
            default:
                copy.insert(at, copy.substr(at / 2, 1 + rng() % 12));
                break;
            }
            if (copy.empty()) {
                copy = "x";
            }
        }
        variants.push_back(copy);
    }
    const char *const numbers[] = {"0", "-1", "-2147483648", "2147483647", "99999999999999999999", "1e9", ""};
    for (const char *number : numbers) {
        std::string copy = source;
        const std::size_t line_start = copy.find('\n') + 1;
        copy.replace(line_start, copy.find('\n', line_start) - line_start, number);
        variants.push_back(copy);
        variants.push_back(std::string(number) + source.substr(source.find('\n')));
    }
    return variants;
}

} // namespace

class DamagedSpriteFiles : public nv_test::ResourceManagerTest {
protected:
    /// Loads every variant; each either fails or yields a self-consistent sprite, and the keeper survives.
    void loadAll(const std::string &source, std::uint32_t seed) {
        std::mt19937 rng(seed);
        ASSERT_EQ(rm().loadSprite(writeFile("keeper.txt", SIMPLE_SOURCE), "keeper"), 0);
        const nv::Sprite *p_keeper = rm().getSprite("keeper");
        int accepted = 0;
        int index = 0;
        for (const std::string &variant : damagedVariants(source, rng)) {
            if (rm().getSpriteCount() >= nv::MAX_SPRITES - 1) {
                rm().shutDown();
                ASSERT_EQ(rm().startUp(), 0);
                ASSERT_EQ(rm().loadSprite(writeFile("keeper.txt", SIMPLE_SOURCE), "keeper"), 0);
                p_keeper = rm().getSprite("keeper");
            }
            const int before = rm().getSpriteCount();
            const std::string label = "v" + std::to_string(index++);
            const int result = rm().loadSprite(writeFile("variant.txt", variant), label);
            ASSERT_TRUE(result == 0 || result == -1);
            if (result == 0) {
                accepted++;
                ASSERT_EQ(rm().getSpriteCount(), before + 1);
                const nv::Sprite *p_sprite = rm().getSprite(label);
                ASSERT_NE(p_sprite, nullptr);
                ASSERT_GE(p_sprite->getFrameCount(), 1);
                for (int f = 0; f < p_sprite->getFrameCount(); f++) {
                    const nv::Frame frame = p_sprite->getFrame(f);
                    ASSERT_EQ(frame.getString().size(),
                              static_cast<std::size_t>(p_sprite->getWidth()) * p_sprite->getHeight());
                }
            } else {
                ASSERT_EQ(rm().getSpriteCount(), before);
            }
            ASSERT_EQ(rm().getSprite("keeper"), p_keeper);
            ASSERT_EQ(p_keeper->getFrame(1).getString(), "|  ||__|");
        }
        // The undamaged file and some harmless edits must still load, or the test proves nothing.
        EXPECT_GT(accepted, 0);
    }
};

TEST_F(DamagedSpriteFiles, SimpleFormatVariantsNeverCrashOrCorruptTheTable) {
    loadAll(SIMPLE_SOURCE, 20240611u);
}

TEST_F(DamagedSpriteFiles, RobustFormatVariantsNeverCrashOrCorruptTheTable) {
    loadAll(ROBUST_SOURCE, 777u);
}
