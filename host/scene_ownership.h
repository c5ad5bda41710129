// Internal to the host library: how objects made by the factory functions
// find their owning scene (the rules are in host/host_scene.h).
#pragma once

#include <memory>

class MtlBase;
class TriObject;

namespace zenthor {

// The current scene, if any, takes the new object; otherwise the caller
// gets it. Either way the object is returned.
TriObject* AdoptByCurrentScene(std::unique_ptr<TriObject> object);
MtlBase* AdoptByCurrentScene(std::unique_ptr<MtlBase> object);

// When owner belongs to a scene, that scene takes object as well (a map put
// into a material that a scene owns). Null or already owned: nothing.
void AdoptAlongWith(const MtlBase* owner, MtlBase* object);

}  // namespace zenthor
