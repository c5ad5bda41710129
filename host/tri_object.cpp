#include "host/tri_object.h"

#include "host/scene_ownership.h"

namespace {

// Used, like every host call, on the host's user-interface thread only: no lock.
struct CreationFailures {
    std::function<bool(int)> fail;
    int calls = 0;
};

CreationFailures& Failures() {
    static CreationFailures failures;
    return failures;
}

}  // namespace

TriObject::TriObject() = default;
TriObject::~TriObject() = default;

void SetTriObjectCreationFailures(std::function<bool(int callIndex)> fail) {
    CreationFailures& failures = Failures();
    failures.fail = std::move(fail);
    failures.calls = 0;
}

TriObject* CreateNewTriObject() {
    {
        CreationFailures& failures = Failures();
        const int call = failures.calls++;
        if (failures.fail && failures.fail(call)) {
            return nullptr;
        }
    }
    auto object = std::make_unique<TriObject>();
    TriObject* made = object.get();
    zenthor::AdoptByCurrentScene(std::move(object));
    return made;
}
