#include "probe/scalar_group.h"

#include "probe/matrix_agent.h"

#include <algorithm>
#include <memory>

namespace probe {
namespace {

struct ScalarGroup {
    Arcs base;
    std::vector<Scalar> scalars;

    Arcs NameOf(const Scalar& scalar) const {
        Arcs name = base;
        name.push_back(scalar.arc);
        name.push_back(0);
        return name;
    }
    bool Get(const Arcs& asked, MatrixObject& object) const {
        for (const Scalar& scalar : scalars) {
            if (asked == NameOf(scalar)) {
                object = {asked, scalar.value()};
                return true;
            }
        }
        return false;
    }
    // Any name under BASE.arc of a scalar is of that object; only BASE.arc.0 exists.
    ObjectKind Kind(const Arcs& asked) const {
        for (const Scalar& scalar : scalars) {
            const Arcs name = NameOf(scalar);
            if (asked.size() >= name.size() - 1 &&
                std::equal(name.begin(), name.end() - 1, asked.begin())) {
                return ObjectKind::kReadOnly;
            }
        }
        return ObjectKind::kNone;
    }
    bool GetNext(const Arcs& asked, MatrixObject& object) const {
        for (const Scalar& scalar : scalars) {
            if (asked < NameOf(scalar)) {
                object = {NameOf(scalar), scalar.value()};
                return true;
            }
        }
        return false;
    }
};

} // namespace

bool RegisterScalars(const std::string& label, const Arcs& base, std::vector<Scalar> scalars) {
    // The groups live as long as the process: the agent may answer until it exits.
    static std::vector<std::unique_ptr<ScalarGroup>> groups;
    groups.push_back(std::make_unique<ScalarGroup>(ScalarGroup{base, std::move(scalars)}));
    return RegisterObjects(label, base, SourceOf(*groups.back(), nullptr));
}

MatrixValue TextValue(const std::string& text) {
    MatrixValue value;
    value.tag = kTagOctets;
    value.octets = text;
    return value;
}

MatrixValue NumberValue(uint8_t tag, uint64_t number) {
    MatrixValue value;
    value.tag = tag;
    value.number = number;
    return value;
}

} // namespace probe
