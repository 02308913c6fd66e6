// The crawling prisoner in a real vent section: one crawl move (seven step events to the prisoner, the last one
// moving it a cell along an open duct) against the baseline of one bare WorldManager::moveObject of a plain
// object with the same box in the same section. Compare items_per_second (moves per second) between the two rows;
// allocs_per_move is the number of heap allocations per move in the steady state and should be 0.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "Prisoner.h"
#include "Vents.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "input/EventKeyboard.h"
#include "resources/ResourceManager.h"
#include "world/ObjectList.h"
#include "world/WorldManager.h"

namespace {

std::atomic<long long> allocations{0};

const char *const LABELS[] = {"vents1_AL", "vents1_AR",     "vents1_BL",       "vents1_BR",       "vents1_C",
                              "vents1_DL", "vents1_DR",     "vents1_E",        "vents1_F",        "clue_can",
                              "clue_fork", "v_prisoner_up", "v_prisoner_down", "v_prisoner_left", "v_prisoner_right"};

// The repository's sprites folder, found from this file's own path.
std::string spritesDir() {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind("bench/")) + "sprites/";
}

// The first section built as the level builds it, with its real pictures.
void buildSection() {
    nv::LogManager &log_manager = nv::LogManager::getInstance();
    if (!log_manager.isStarted()) {
        setenv("NORVANTIS_LOG", "/dev/null", 1);
        log_manager.startUp();
    }
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    world_manager.shutDown();
    world_manager.startUp();
    world_manager.setBoundary(nv::Box(nv::Vector(0, 0), 80, 24));
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    resource_manager.shutDown();
    resource_manager.startUp();
    for (const char *label : LABELS) {
        resource_manager.loadSprite(spritesDir() + label + ".txt", label);
    }
    nv::GameManager::getInstance().setFrameTime(33);
    Vents::build(1);
}

Prisoner *thePrisoner() {
    nv::ObjectList prisoners = nv::WorldManager::getInstance().objectsOfType(PRISONER_TYPE);
    return prisoners.isEmpty() ? nullptr : static_cast<Prisoner *>(prisoners[0]);
}

void BM_PrisonerCrawlMove(benchmark::State &state) {
    buildSection();
    Prisoner *p_prisoner = thePrisoner();
    // The upper duct of the first section is open from column 5 to 76 on row 8.
    p_prisoner->setPosition(nv::Vector(20, 8));
    nv::EventKeyboard right;
    right.setKey(nv::D);
    right.setKeyboardAction(nv::KEY_PRESSED);
    p_prisoner->eventHandler(&right);
    nv::EventStep step;
    for (int i = 0; i < 14; i++) {
        p_prisoner->eventHandler(&step);
    }
    long long moves = 0;
    const long long before = allocations.load();
    for (auto _ : state) {
        for (int i = 0; i < 7; i++) {
            p_prisoner->eventHandler(&step);
        }
        if (++moves % 40 == 0) {
            state.PauseTiming();
            p_prisoner->setPosition(nv::Vector(20, 8));
            state.ResumeTiming();
        }
    }
    state.counters["allocs_per_move"] =
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    benchmark::DoNotOptimize(p_prisoner->getPosition());
}

void BM_BareMoveBaseline(benchmark::State &state) {
    buildSection();
    Prisoner *p_prisoner = thePrisoner();
    nv::WorldManager::getInstance().markForDelete(p_prisoner);
    nv::WorldManager::getInstance().update();
    nv::Object *p_crate = new nv::Object();
    p_crate->setBox(nv::Box(nv::Vector(-1.5f, -1.5f), 3, 3));
    p_crate->setPosition(nv::Vector(20, 8));
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    float x = 20;
    const long long before = allocations.load();
    for (auto _ : state) {
        x += 1;
        if (x > 60) {
            state.PauseTiming();
            x = 20;
            p_crate->setPosition(nv::Vector(x, 8));
            state.ResumeTiming();
        } else {
            world_manager.moveObject(p_crate, nv::Vector(x, 8));
        }
    }
    state.counters["allocs_per_move"] =
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

} // namespace

// All three kept out of line so the compiler does not pair malloc and free across inlined callers.
__attribute__((noinline)) void *operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

__attribute__((noinline)) void operator delete(void *p) noexcept {
    std::free(p);
}
__attribute__((noinline)) void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

BENCHMARK(BM_BareMoveBaseline);
BENCHMARK(BM_PrisonerCrawlMove);

BENCHMARK_MAIN();
