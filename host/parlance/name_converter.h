// The conversion module's registrations and its answers, delivered from the Qt event loop.
#pragma once

#include "host/parlance/name_resolver.h"
#include "hostapi/convert_mapped_address.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class QObject;

class NameConverter {
  public:
    explicit NameConverter(NameResolver resolver);
    ~NameConverter();
    NameConverter(const NameConverter&) = delete;
    NameConverter& operator=(const NameConverter&) = delete;

    // The module's one converter, reading the default names file and registry.
    static NameConverter& Instance();

    // CONVERT_REGISTER: writes a fresh registration number into the caller's slot (an
    // already registered slot keeps its number). Returns 1, or 0 for a null slot.
    int Register(uint32_t* slot);

    // CONVERT_UNREGISTER: ends the slot's registration, so answers still queued for it are
    // dropped, and clears the slot. Returns 1 if it was registered.
    int Unregister(uint32_t* slot);

    // CONVERT_REQUEST: when the address has a name, queues callback(address, name, row)
    // to the Qt event loop and returns 1; it runs only if the slot is still registered
    // then. Returns 0, and never calls back, for an unregistered slot, a null callback,
    // an address without a name, or when there is no QCoreApplication to deliver from.
    // Answers queued one after another are delivered in their order by one event.
    int Request(uint32_t* slot, const char* address, OnNameConvertedProc callback, intptr_t row);

  private:
    struct Answer {
        uint32_t number;
        std::string address;
        std::string name;
        OnNameConvertedProc callback;
        intptr_t row;
    };

    bool IsRegistered(uint32_t number);
    QObject* Context();
    void Deliver();

    NameResolver m_resolver;
    std::mutex m_mutex;
    std::set<uint32_t> m_registered;
    uint32_t m_nextNumber = 1;
    // Receiver of the queued answers: deleting it drops those still queued, so none runs
    // after the module is unloaded.
    QObject* m_context = nullptr;
    std::vector<Answer> m_answers; // queued, not yet delivered
};
