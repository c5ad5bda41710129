#include "host/tri_object.h"

#include "host/failure_hook.h"
#include "host/scene_ownership.h"

namespace {

zenthor::FailureHook& Failures() {
    static zenthor::FailureHook failures;
    return failures;
}

}  // namespace

TriObject::TriObject() = default;
TriObject::~TriObject() = default;

void SetTriObjectCreationFailures(std::function<bool(int callIndex)> fail) {
    Failures().Set(std::move(fail));
}

TriObject* CreateNewTriObject() {
    if (Failures().NextCallFails()) {
        return nullptr;
    }
    auto object = std::make_unique<TriObject>();
    TriObject* made = object.get();
    zenthor::AdoptByCurrentScene(std::move(object));
    return made;
}
