// One world step of N solid objects wandering at constant density: the grid-backed world update against a
// brute-force mover that tests every pair. Compare items_per_second (object moves per second) across N and
// between the two: the brute-force rows are the baseline. BM_GridStepScaling gives the per-object cost at
// 100 000 objects as a ratio to that at 1 000, measured in alternating rounds of one run; BM_GridStepScalingCold
// gives the same ratio with each side timed straight after its world is built, as earlier rounds measured it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "world/Box.h"
#include "world/EventCollision.h"
#include "world/Object.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace {

std::atomic<long long> heap_allocations{0};

} // namespace

// Every heap block in the process, operator new's and the object lists' alike, is counted here so the report can
// show that moving an object allocates nothing in the steady state. The sanitizers bring their own allocator.
#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *p, std::size_t size);

void *malloc(std::size_t size) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void *calloc(std::size_t count, std::size_t size) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void *realloc(void *p, std::size_t size) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, size);
}
}
#endif

namespace {

// Cells of world per object; keeps the number of neighbours per move the same at every N.
const float AREA_PER_OBJECT = 50.0f;
const float SPEED = 0.5f;
// Above SAMPLE_ABOVE objects the brute-force mover moves only BRUTE_SAMPLE per step, each still tested against all.
const int BRUTE_SAMPLE = 1000;
const int SAMPLE_ABOVE = 10000;

class Wanderer : public nv::Object {
public:
    int eventHandler(const nv::Event *p_e) override {
        if (p_e->typeName() == "nv-collision") {
            collisions++;
            return 1;
        }
        return 0;
    }
    long long collisions = 0;
};

struct XorShift {
    std::uint32_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float unit() { return static_cast<float>(next() & 0xffffff) / static_cast<float>(0x1000000); }
};

// The populated world for one N, built once and reused by both movers.
struct Population {
    int n = 0;
    float side = 0;
    std::vector<Wanderer *> objects;
    XorShift rng{2463534242u};
};

Population &population(int n) {
    static Population current;
    if (current.n == n) {
        return current;
    }
    nv::WorldManager &world = nv::WorldManager::getInstance();
    if (world.isStarted()) {
        world.shutDown();
    }
    world.startUp();
    current.n = n;
    current.objects.clear();
    current.side = std::sqrt(AREA_PER_OBJECT * static_cast<float>(n));
    world.setBoundary(nv::Box(nv::Vector(0, 0), current.side, current.side));
    world.setView(world.getBoundary());
    for (int i = 0; i < n; i++) {
        auto *p = new Wanderer();
        p->setSolidness(nv::SOFT);
        p->setPosition(
            nv::Vector(1 + current.rng.unit() * (current.side - 2), 1 + current.rng.unit() * (current.side - 2)));
        current.objects.push_back(p);
    }
    return current;
}

// Turns now and then, and bounces off the edges so the density stays even.
void steer(Population &pop, Wanderer *p) {
    nv::Vector v = p->getVelocity();
    if ((pop.rng.next() & 15) == 0 || v == nv::Vector()) {
        const float angle = pop.rng.unit() * 6.2831853f;
        v = nv::Vector(std::cos(angle) * SPEED, std::sin(angle) * SPEED);
    }
    const nv::Vector next = p->getPosition() + v;
    if (next.getX() < 1 || next.getX() > pop.side - 2) {
        v.setX(-v.getX());
    }
    if (next.getY() < 1 || next.getY() > pop.side - 2) {
        v.setY(-v.getY());
    }
    p->setVelocity(v);
}

void BM_GridWorldStep(benchmark::State &state) {
    Population &pop = population(static_cast<int>(state.range(0)));
    nv::WorldManager &world = nv::WorldManager::getInstance();
    const long long allocations_before = heap_allocations.load();
    for (auto _ : state) {
        for (Wanderer *p : pop.objects) {
            steer(pop, p);
        }
        world.update();
    }
    const double moves = static_cast<double>(state.iterations()) * pop.n;
    state.SetItemsProcessed(static_cast<int64_t>(moves));
    state.counters["allocs_per_move"] = static_cast<double>(heap_allocations.load() - allocations_before) / moves;
}

void BM_BruteForceStep(benchmark::State &state) {
    Population &pop = population(static_cast<int>(state.range(0)));
    const int movers = pop.n > SAMPLE_ABOVE ? BRUTE_SAMPLE : pop.n;
    std::vector<Wanderer *> hits;
    hits.reserve(64);
    size_t cursor = 0;
    for (auto _ : state) {
        for (int m = 0; m < movers; m++) {
            Wanderer *p = pop.objects[cursor];
            cursor = (cursor + 1) % pop.objects.size();
            steer(pop, p);
            const nv::Vector where = p->predictPosition();
            const nv::Box box = nv::worldBox(p, where);
            hits.clear();
            for (Wanderer *other : pop.objects) {
                if (other != p && nv::boxesOverlap(nv::worldBox(other), box)) {
                    hits.push_back(other);
                }
            }
            for (Wanderer *other : hits) {
                nv::EventCollision collision(p, other, where);
                p->eventHandler(&collision);
                other->eventHandler(&collision);
            }
            p->setPosition(where);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * movers);
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void step(Population &pop) {
    for (Wanderer *p : pop.objects) {
        steer(pop, p);
    }
    nv::WorldManager::getInstance().update();
}

// CPU seconds per object move of `steps` grid world steps at n objects, after `warmup` untimed ones.
double secondsPerMove(int n, int warmup, int steps) {
    Population &pop = population(n);
    for (int s = 0; s < warmup; s++) {
        step(pop);
    }
    const double start = threadSeconds();
    for (int s = 0; s < steps; s++) {
        step(pop);
    }
    return (threadSeconds() - start) / (static_cast<double>(steps) * n);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The scaling figure: per-object cost of a step at 100 000 objects over that at 1 000, from rounds that
// alternate between the two sizes so both see the same machine load; the median of each side is used. Each side
// times the same number of moves. The one world is rebuilt whenever the size changes, and the first steps of a new
// world are not those of a running game: every object still stands (so all of them pick a heading at once) and
// the cells still grow to their working size. So both sides first take the same few untimed steps.
void scaling(benchmark::State &state, int warmup) {
    const int small = 1000;
    const int large = 100000;
    std::vector<double> small_costs;
    std::vector<double> large_costs;
    for (auto _ : state) {
        small_costs.push_back(secondsPerMove(small, warmup, 400));
        large_costs.push_back(secondsPerMove(large, warmup, 4));
    }
    state.counters["ns_per_move_1k"] = median(small_costs) * 1e9;
    state.counters["ns_per_move_100k"] = median(large_costs) * 1e9;
    state.counters["ratio_100k_to_1k"] = median(large_costs) / median(small_costs);
}

void BM_GridStepScaling(benchmark::State &state) {
    scaling(state, 4);
}

void BM_GridStepScalingCold(benchmark::State &state) {
    scaling(state, 0);
}

} // namespace

BENCHMARK(BM_GridStepScaling)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridStepScalingCold)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridWorldStep)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForceStep)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridWorldStep)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForceStep)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridWorldStep)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForceStep)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
