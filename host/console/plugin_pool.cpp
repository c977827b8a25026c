#include "host/console/plugin_pool.h"

bool PluginPool::Load(const char* moduleName, std::string& error) {
    Unload();
    auto first = std::make_unique<PluginHost>();
    if (!first->Load(moduleName, error)) {
        return false;
    }
    m_instances.push_back({std::move(first), false});
    return true;
}

PluginHost* PluginPool::Take(uint32_t node, std::string& error) {
    if (m_instances.empty()) {
        error = "the plug-in is not loaded";
        return nullptr;
    }
    for (Instance& instance : m_instances) {
        if (!instance.taken && instance.plugin->ShownNode() != node) {
            instance.taken = true;
            return instance.plugin.get();
        }
    }
    auto copy = std::make_unique<PluginHost>();
    if (!copy->LoadCopy(First().Module(), error)) {
        return nullptr;
    }
    m_instances.push_back({std::move(copy), true});
    return m_instances.back().plugin.get();
}

void PluginPool::Give(PluginHost* plugin) {
    for (Instance& instance : m_instances) {
        if (instance.plugin.get() == plugin) {
            instance.taken = false;
        }
    }
}

bool PluginPool::Unload() {
    bool freed = true;
    while (!m_instances.empty()) {
        freed = m_instances.back().plugin->Unload() && freed;
        m_instances.pop_back();
    }
    return freed;
}
