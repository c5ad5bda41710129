// Export macro of the host SDK stand-in. The library is built with hidden
// visibility, so every class and function that a plug-in or the host
// application calls is marked HOST_API.
#pragma once

#if defined(_WIN32)
#if defined(ZENTHOR_HOST_BUILDING)
#define HOST_API __declspec(dllexport)
#else
#define HOST_API __declspec(dllimport)
#endif
#else
#define HOST_API __attribute__((visibility("default")))
#endif
