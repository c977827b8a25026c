#include "host/parlance/name_converter.h"

#include <QCoreApplication>
#include <QObject>
#include <string>

NameConverter::NameConverter(NameResolver resolver) : m_resolver(std::move(resolver)) {}

NameConverter::~NameConverter() {
    delete m_context;
}

NameConverter& NameConverter::Instance() {
    static NameConverter converter(
        NameResolver(NameResolver::DefaultEthersPath(), NameResolver::DefaultRegistryDir()));
    return converter;
}

int NameConverter::Register(uint32_t* slot) {
    if (!slot) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    if (m_registered.count(*slot)) {
        return 1;
    }
    if (m_nextNumber == 0) { // after 2^32 registrations; 0 never names a registration
        ++m_nextNumber;
    }
    *slot = m_nextNumber++;
    m_registered.insert(*slot);
    return 1;
}

int NameConverter::Unregister(uint32_t* slot) {
    if (!slot) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    int erased = int(m_registered.erase(*slot));
    *slot = 0;
    return erased;
}

bool NameConverter::IsRegistered(uint32_t number) {
    std::lock_guard lock(m_mutex);
    return m_registered.count(number) != 0;
}

QObject* NameConverter::Context() {
    auto* app = QCoreApplication::instance();
    if (!app) {
        return nullptr;
    }
    if (!m_context) {
        m_context = new QObject;
        m_context->moveToThread(app->thread());
    }
    return m_context;
}

int NameConverter::Request(uint32_t* slot, const char* address, OnNameConvertedProc callback,
                           intptr_t row) {
    if (!slot || !callback || !IsRegistered(*slot)) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    std::string name = m_resolver.Name(address);
    QObject* context = name.empty() ? nullptr : Context();
    if (!context) {
        return 0;
    }
    // Answers come from the event loop, after this call returns, as a network answer would.
    // A walk asks for two names a new row: one event carries every answer queued until it
    // runs, where an event each would cost more than finding the names.
    m_answers.push_back({*slot, address, std::move(name), callback, row});
    if (m_answers.size() == 1) {
        QMetaObject::invokeMethod(
            context, [this] { Deliver(); }, Qt::QueuedConnection);
    }
    return 1;
}

// The callbacks may ask again (or unregister): they run with the lock released, and what
// they queue goes out with the next event.
void NameConverter::Deliver() {
    std::vector<Answer> answers;
    {
        std::lock_guard lock(m_mutex);
        answers.swap(m_answers);
    }
    for (const Answer& answer : answers) {
        if (IsRegistered(answer.number)) {
            answer.callback(answer.address.c_str(), answer.name.c_str(), answer.row);
        }
    }
}
