// The plug-in's instances behind the node windows: one for each node window open at a time.
// The first is the module loaded by name; each further one a private copy
// (PluginHost::LoadCopy). An instance stays loaded after its node window closed, since the
// graph and conversation windows its view opened run its code until the user closes them;
// its view window went with the node window, and its next InitTab makes a new one, so the
// next node window takes a free instance before another copy is loaded.
#pragma once

#include "host/console/plugin_host.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PluginPool {
  public:
    // Loads the module by name as the first instance; false with the reason in error.
    bool Load(const char* moduleName, std::string& error);
    // The first instance, for what the console asks the plug-in once (LoadSubMenu).
    PluginHost& First() { return *m_instances.front().plugin; }
    // A free instance for a node window on node, loading a copy when none is free; null
    // with the reason in error. An instance whose view showed node last is passed over:
    // SetNode answers 0 for the node a view has, and would leave the new window empty.
    PluginHost* Take(uint32_t node, std::string& error);
    // Gives back an instance whose node window is gone (after its Close).
    void Give(PluginHost* plugin);
    size_t Loaded() const { return m_instances.size(); }
    // Unloads every instance, copies first; false when a FreeLibrary failed.
    bool Unload();

  private:
    struct Instance {
        std::unique_ptr<PluginHost> plugin;
        bool taken = false;
    };

    std::vector<Instance> m_instances;
};
