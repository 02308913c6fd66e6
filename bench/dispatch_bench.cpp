// Event dispatch through a manager's interest table against a bare loop of virtual calls, and ObjectList
// against std::vector. Compare each pair's times: the bare loop and the vector are the baselines.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/Event.h"
#include "core/Manager.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

namespace {

class CountingObject : public nv::Object {
public:
    int eventHandler(const nv::Event *) override {
        handled++;
        return 1;
    }
    long long handled = 0;
};

class BenchManager : public nv::Manager {
public:
    bool isValid(std::string) const override { return true; }
};

// One manager per size, each with its own interested objects, built once.
struct Audience {
    BenchManager manager;
    std::vector<nv::Object *> objects;
};

Audience &audience(int size) {
    static std::map<int, Audience> audiences;
    auto found = audiences.find(size);
    if (found != audiences.end()) {
        return found->second;
    }
    if (!nv::WorldManager::getInstance().isStarted()) {
        nv::WorldManager::getInstance().startUp();
    }
    Audience &made = audiences[size];
    for (int i = 0; i < size; i++) {
        CountingObject *p_o = new CountingObject;
        made.objects.push_back(p_o);
        made.manager.registerInterest(p_o, "bench");
    }
    return made;
}

void BM_Dispatch(benchmark::State &state) {
    Audience &crowd = audience(static_cast<int>(state.range(0)));
    nv::Event event;
    event.setType("bench");
    for (auto _ : state) {
        benchmark::DoNotOptimize(crowd.manager.onEvent(&event));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Dispatch)->Arg(10)->Arg(1000)->Arg(100000);

void BM_DirectCalls(benchmark::State &state) {
    Audience &crowd = audience(static_cast<int>(state.range(0)));
    nv::Event event;
    event.setType("bench");
    for (auto _ : state) {
        int count = 0;
        for (nv::Object *p_o : crowd.objects) {
            if (p_o->isActive()) {
                p_o->eventHandler(&event);
                count++;
            }
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DirectCalls)->Arg(10)->Arg(1000)->Arg(100000);

nv::Object *fakeObject(std::intptr_t i) {
    return reinterpret_cast<nv::Object *>((i + 1) * 16);
}

void BM_ObjectListInsert(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        nv::ObjectList list;
        for (int i = 0; i < size; i++) {
            list.insert(fakeObject(i));
        }
        benchmark::DoNotOptimize(list.getCount());
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BM_ObjectListInsert)->Arg(1000)->Arg(100000);

void BM_VectorInsert(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<nv::Object *> list;
        for (int i = 0; i < size; i++) {
            list.push_back(fakeObject(i));
        }
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BM_VectorInsert)->Arg(1000)->Arg(100000);

void BM_ObjectListIterate(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    nv::ObjectList list;
    for (int i = 0; i < size; i++) {
        list.insert(fakeObject(i));
    }
    for (auto _ : state) {
        std::intptr_t sum = 0;
        for (nv::ObjectListIterator li(&list); !li.isDone(); li.next()) {
            sum += reinterpret_cast<std::intptr_t>(li.currentObject());
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BM_ObjectListIterate)->Arg(1000)->Arg(100000);

void BM_VectorIterate(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    std::vector<nv::Object *> list;
    for (int i = 0; i < size; i++) {
        list.push_back(fakeObject(i));
    }
    for (auto _ : state) {
        std::intptr_t sum = 0;
        for (nv::Object *p_o : list) {
            sum += reinterpret_cast<std::intptr_t>(p_o);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BM_VectorIterate)->Arg(1000)->Arg(100000);

// Removes the last item and puts it back: the search walks the whole list, no item moves.
void BM_ObjectListRemoveLast(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    nv::ObjectList list;
    for (int i = 0; i < size; i++) {
        list.insert(fakeObject(i));
    }
    nv::Object *p_last = fakeObject(size - 1);
    for (auto _ : state) {
        list.remove(p_last);
        list.insert(p_last);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObjectListRemoveLast)->Arg(1000)->Arg(100000);

// Removes the first item and puts it back at the end: every later item moves one place down.
void BM_ObjectListRemoveFirst(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    nv::ObjectList list;
    for (int i = 0; i < size; i++) {
        list.insert(fakeObject(i));
    }
    for (auto _ : state) {
        nv::Object *p_first = list[0];
        list.remove(p_first);
        list.insert(p_first);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObjectListRemoveFirst)->Arg(1000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
