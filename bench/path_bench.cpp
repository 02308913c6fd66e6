#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/path/LiteralPathSearch.h"
#include "core/Config.h"
#include "core/LogManager.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "world/Box.h"
#include "world/Object.h"
#include "world/Vector.h"
#include "world/WorldManager.h"

namespace {

// The maps of the peer measurement: a fifth of the cells walls (xorshift64* draws from a fixed seed), the start
// (1,1) and the goal (cols-2, rows-2) kept open.
std::vector<std::uint8_t> obstacleMap(int cols, int rows) {
    std::uint64_t state = 20240601ULL * 0x9E3779B97F4A7C15ULL + 1;
    auto draw = [&state]() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    };
    std::vector<std::uint8_t> map(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    for (int y = 0; y < rows; y++) {
        for (int x = 0; x < cols; x++) {
            bool wall = draw() % 100 < 20;
            bool end = (x == 1 && y == 1) || (x == cols - 2 && y == rows - 2);
            map[static_cast<std::size_t>(y * cols + x)] = wall && !end ? 1 : 0;
        }
    }
    return map;
}

// The world of that map, a hard object on every wall; returns the walker, on the start cell.
// The configuration (NORVANTIS_CONFIG or nv-config.txt) is read once, so its collision grid size applies.
nv::Object *buildWorld(int cols, int rows, bool walls = true) {
    nv::LogManager &log_manager = nv::LogManager::getInstance();
    if (!log_manager.isStarted()) {
        std::string name = (std::filesystem::temp_directory_path() / "nv-path-bench.log").string();
        setenv("NORVANTIS_LOG", name.c_str(), 1);
        nv::Config::getInstance().loadConfig();
        log_manager.startUp();
    }
    nv::WorldManager &world = nv::WorldManager::getInstance();
    if (world.isStarted()) {
        world.shutDown();
    }
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), static_cast<float>(cols), static_cast<float>(rows)));
    std::vector<std::uint8_t> map = obstacleMap(cols, rows);
    for (std::size_t i = 0; walls && i < map.size(); i++) {
        if (map[i] != 0) {
            auto *p_o = new nv::Object;
            p_o->setPosition(nv::Vector(static_cast<float>(i % static_cast<std::size_t>(cols)),
                                        static_cast<float>(i / static_cast<std::size_t>(cols))));
        }
    }
    auto *walker = new nv::Object;
    walker->setSolidness(nv::SPECTRAL);
    walker->setPosition(nv::Vector(1, 1));
    return walker;
}

// The same search over the plain map, without the world's collision query: the search's own cost alone.
class MapSearch : public nv::PathFind {
public:
    MapSearch(const std::vector<std::uint8_t> &init_map, int init_cols, int init_rows)
        : PathFind(nullptr, 1, 1, init_cols - 2, init_rows - 2), map(init_map), cols(init_cols) {}
    bool isBlocked(int x, int y) const override {
        return map[static_cast<std::size_t>(y) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(x)] != 0;
    }

private:
    const std::vector<std::uint8_t> &map;
    int cols;
};

int mapSearch(const std::vector<std::uint8_t> &map, int cols, int rows) {
    MapSearch search(map, cols, rows);
    int result = nv::PATH_SEARCHING;
    while (result == nv::PATH_SEARCHING) {
        result = search.cycleOnce();
    }
    return search.getPath().getNumNodes();
}

// Through the world as the game runs it: one path manager cycle with time for the whole search.
int worldSearch(nv::Object *walker, int cols, int rows) {
    nv::PathManager &paths = nv::PathManager::getInstance();
    paths.requestPath(walker, nv::Vector(static_cast<float>(cols - 2), static_cast<float>(rows - 2)));
    while (paths.getNumSearches() > 0) {
        paths.cycle(1000000);
    }
    return walker->getPath().getNumNodes();
}

double threadMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Both searches on the same map, alternating, in thread CPU time: world_over_map is the world-backed search's
// median over the plain-map search's median, which load on the machine affects alike.
void worldVsMap(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> map = obstacleMap(cols, rows);
    nv::Object *walker = buildWorld(cols, rows);
    std::vector<double> map_ms;
    std::vector<double> world_ms;
    int nodes = 0;
    for (auto _ : state) {
        double t0 = threadMs();
        benchmark::DoNotOptimize(mapSearch(map, cols, rows));
        double t1 = threadMs();
        nodes = worldSearch(walker, cols, rows);
        double t2 = threadMs();
        map_ms.push_back(t1 - t0);
        world_ms.push_back(t2 - t1);
    }
    state.counters["nodes"] = nodes;
    state.counters["map_ms"] = median(map_ms);
    state.counters["world_ms"] = median(world_ms);
    state.counters["world_over_map"] = median(world_ms) / median(map_ms);
    nv::WorldManager::getInstance().shutDown();
}

// The word-for-word reference search through the world, for scale.
void literalWorldSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    nv::Object *walker = buildWorld(cols, rows);
    int nodes = 0;
    for (auto _ : state) {
        LiteralPathSearch search(cols, rows, 1, 1, cols - 2, rows - 2, literalWorldBlocked(walker, cols - 2, rows - 2));
        int result = 1;
        while (result == 1) {
            result = search.cycleOnce();
        }
        benchmark::DoNotOptimize(result);
        nodes = search.getPath().getNumNodes();
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

void worldSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    nv::Object *walker = buildWorld(cols, rows);
    int nodes = 0;
    for (auto _ : state) {
        nodes = worldSearch(walker, cols, rows);
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

void mapSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> map = obstacleMap(cols, rows);
    buildWorld(cols, rows, false);
    int nodes = 0;
    for (auto _ : state) {
        nodes = mapSearch(map, cols, rows);
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

} // namespace

BENCHMARK(worldVsMap)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(worldSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(mapSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(literalWorldSearch)->Args({80, 24})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
