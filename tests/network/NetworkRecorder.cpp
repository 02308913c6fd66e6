#include "NetworkRecorder.h"

#include "core/EventStep.h"
#include "core/GameManager.h"
#include "network/EventNetwork.h"
#include "network/NetworkManager.h"

NetworkRecorder::NetworkRecorder(const std::vector<std::string> &types) {
    setType("NetworkRecorder");
    for (const std::string &event_type : types) {
        registerInterest(event_type);
    }
}

int NetworkRecorder::eventHandler(const nv::Event *p_e) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int step = nv::GameManager::getInstance().getStepCount();
    if (const auto *p_network = dynamic_cast<const nv::EventNetwork *>(p_e)) {
        int s = p_network->getSocket();
        bool in_table = false;
        for (int i = 0; i < network_manager.getNumConnections(); i++) {
            in_table = in_table || network_manager.getSocket(i) == s;
        }
        records.push_back(NetworkRecord{p_e->getType(), p_network->getLabel(), s, p_network->getBytes(), in_table,
                                        network_manager.getNumConnections(), step});
        if (on_network) {
            on_network(*p_network);
        }
        return 1;
    }
    if (const auto *p_step = dynamic_cast<const nv::EventStep *>(p_e)) {
        records.push_back(NetworkRecord{p_e->getType(), -1, -1, 0, false, network_manager.getNumConnections(),
                                        p_step->getStepCount()});
        if (on_step) {
            on_step(p_step->getStepCount());
        }
        return 1;
    }
    return 0;
}
