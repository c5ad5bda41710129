// Marks a function that a shared library exports to its users.
#pragma once

#ifdef _WIN32
// The module-definition file lists the exports with their ordinals.
#define PLATFORM_EXPORT
#else
#define PLATFORM_EXPORT __attribute__((visibility("default")))
#endif
