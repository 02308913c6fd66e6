#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
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

const double DENSITY = 0.20;

// About a fifth of the cells blocked, the two far corners kept free.
std::vector<std::uint8_t> obstacleMap(int cols, int rows) {
    std::mt19937 rng(20260101u + static_cast<unsigned>(cols * 1000 + rows));
    std::bernoulli_distribution blocked(DENSITY);
    std::vector<std::uint8_t> map(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    for (int y = 0; y < rows; y++) {
        for (int x = 0; x < cols; x++) {
            bool corner = (x <= 1 && y <= 1) || (x >= cols - 2 && y >= rows - 2);
            map[static_cast<std::size_t>(y * cols + x)] = blocked(rng) && !corner ? 1 : 0;
        }
    }
    return map;
}

// The world of that map, a hard object on every blocked cell; returns the walker, in the top-left corner.
// The configuration (NORVANTIS_CONFIG or nv-config.txt) is read once, so its collision grid size applies.
nv::Object *buildWorld(int cols, int rows) {
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
    for (std::size_t i = 0; i < map.size(); i++) {
        if (map[i] != 0) {
            auto *p_o = new nv::Object;
            p_o->setPosition(nv::Vector(static_cast<float>(i % static_cast<std::size_t>(cols)),
                                        static_cast<float>(i / static_cast<std::size_t>(cols))));
        }
    }
    auto *walker = new nv::Object;
    walker->setSolidness(nv::SPECTRAL);
    walker->setPosition(nv::Vector(0, 0));
    return walker;
}

// Corner to corner through the world, the literal way.
void literalWorldSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    nv::Object *walker = buildWorld(cols, rows);
    int nodes = 0;
    for (auto _ : state) {
        LiteralPathSearch search(cols, rows, 0, 0, cols - 1, rows - 1, literalWorldBlocked(walker, cols - 1, rows - 1));
        benchmark::DoNotOptimize(search.run());
        nodes = search.getPath().getNumNodes();
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

// Corner to corner through the world, as the game runs it: one path manager cycle with time for the whole search.
void fastWorldSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    nv::Object *walker = buildWorld(cols, rows);
    nv::PathManager &paths = nv::PathManager::getInstance();
    int nodes = 0;
    for (auto _ : state) {
        paths.requestPath(walker, nv::Vector(static_cast<float>(cols - 1), static_cast<float>(rows - 1)));
        while (paths.getNumSearches() > 0) {
            paths.cycle(1000000);
        }
        nodes = walker->getPath().getNumNodes();
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

// The same searches over a plain map, without the world's collision query: the search's own cost alone.
class MapSearch : public nv::PathFind {
public:
    MapSearch(const std::vector<std::uint8_t> &init_map, int init_cols, int init_rows)
        : PathFind(nullptr, 0, 0, init_cols - 1, init_rows - 1), map(init_map), cols(init_cols) {}
    bool isBlocked(int x, int y) const override {
        return map[static_cast<std::size_t>(y) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(x)] != 0;
    }

private:
    const std::vector<std::uint8_t> &map;
    int cols;
};

void setBoundary(int cols, int rows) {
    buildWorld(0, 0);
    nv::WorldManager::getInstance().setBoundary(
        nv::Box(nv::Vector(0, 0), static_cast<float>(cols), static_cast<float>(rows)));
}

void literalMapSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> map = obstacleMap(cols, rows);
    auto blocked = [&map, cols](int x, int y) {
        return map[static_cast<std::size_t>(y) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(x)] != 0;
    };
    int nodes = 0;
    for (auto _ : state) {
        LiteralPathSearch search(cols, rows, 0, 0, cols - 1, rows - 1, blocked);
        benchmark::DoNotOptimize(search.run());
        nodes = search.getPath().getNumNodes();
    }
    state.counters["nodes"] = nodes;
}

void fastMapSearch(benchmark::State &state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> map = obstacleMap(cols, rows);
    setBoundary(cols, rows);
    int nodes = 0;
    for (auto _ : state) {
        MapSearch search(map, cols, rows);
        int result = nv::PATH_SEARCHING;
        while (result == nv::PATH_SEARCHING) {
            result = search.cycleOnce();
        }
        benchmark::DoNotOptimize(result);
        nodes = search.getPath().getNumNodes();
    }
    state.counters["nodes"] = nodes;
    nv::WorldManager::getInstance().shutDown();
}

} // namespace

BENCHMARK(literalWorldSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(fastWorldSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(literalMapSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(fastMapSearch)->Args({80, 24})->Args({256, 256})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
