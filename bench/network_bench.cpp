// The network manager's send and per-step delivery against a bare ::send of the same bytes on the same
// loopback connection. The bare send is the baseline; every case also reads the bytes back at the far end.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "network/NetworkManager.h"

namespace {

const int MESSAGE_BYTES = 64;

// One loopback connection, both ends in the manager's table: messages go out on `client` and are read
// back on `server_side` so the buffers never fill.
struct Link {
    int client = -1;
    int server_side = -1;
    char message[MESSAGE_BYTES] = {};
    char sink[65536];
};

Link &link() {
    static Link made;
    if (made.client >= 0) {
        return made;
    }
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.startUp();
    network_manager.startServer(0);
    made.client = network_manager.connect("127.0.0.1", network_manager.getServerPort());
    for (int tries = 0; tries < 1000 && made.server_side < 0; tries++) {
        made.server_side = network_manager.accept();
    }
    return made;
}

void drain(Link &l) {
    while (::recv(l.server_side, l.sink, sizeof(l.sink), MSG_DONTWAIT) > 0) {
    }
}

void BM_RawSend(benchmark::State &state) {
    Link &l = link();
    for (auto _ : state) {
        benchmark::DoNotOptimize(::send(l.client, l.message, MESSAGE_BYTES, MSG_NOSIGNAL | MSG_DONTWAIT));
        drain(l);
    }
}
BENCHMARK(BM_RawSend);

void BM_ManagerSend(benchmark::State &state) {
    Link &l = link();
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    for (auto _ : state) {
        benchmark::DoNotOptimize(network_manager.send(l.message, MESSAGE_BYTES, l.client));
        drain(l);
    }
}
BENCHMARK(BM_ManagerSend);

void BM_QueueThenDeliver(benchmark::State &state) {
    Link &l = link();
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    for (auto _ : state) {
        network_manager.queueMessage(l.message, MESSAGE_BYTES, l.client, 0);
        benchmark::DoNotOptimize(network_manager.deliverQueued());
        drain(l);
    }
}
BENCHMARK(BM_QueueThenDeliver);

// The per-step cost when every connection has a message that is not due yet: no system call is made.
void BM_DeliverNothingDue(benchmark::State &state) {
    Link &l = link();
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.queueMessage(l.message, MESSAGE_BYTES, l.client, 1 << 30);
    network_manager.queueMessage(l.message, MESSAGE_BYTES, l.server_side, 1 << 30);
    for (auto _ : state) {
        benchmark::DoNotOptimize(network_manager.deliverQueued());
    }
}
BENCHMARK(BM_DeliverNothingDue);

// Memory of a server whose peer never reads, after 5 000 sends of 100 KB: the manager holds at most its
// per-connection limit, where an unbounded queue would hold nearly all 500 MB. Reported as counters.
long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void BM_NeverReadingPeer(benchmark::State &state) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    Link &l = link();
    const std::vector<char> message(100 * 1000, 'x');
    for (auto _ : state) {
        const long before_kb = residentKb();
        int refused = 0;
        for (int i = 0; i < 5000; i++) {
            refused += network_manager.send(message.data(), static_cast<int>(message.size()), l.client) != 0;
        }
        state.counters["rss_growth_MB"] = static_cast<double>(residentKb() - before_kb) / 1024;
        state.counters["held_MB"] = static_cast<double>(network_manager.getHeldBytes(l.client)) / (1 << 20);
        state.counters["offered_MB"] = 5000 * 100 * 1000 / 1e6;
        state.counters["refused"] = refused;
        drain(l);
        while (network_manager.getHeldBytes(l.client) > 0) {
            network_manager.deliverQueued();
            drain(l);
        }
    }
}
BENCHMARK(BM_NeverReadingPeer)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
