// A texture map read from an image file.
#pragma once

#include <string>

#include "host/host_api.h"
#include "host/mtl_base.h"
#include "platform/windows_api.h"

class HOST_API BitmapTex : public Texmap {
public:
    BitmapTex();
    ~BitmapTex() override;

    // The image file's name, copied (null gives ""). isUIAction tells whether
    // the user made the change; the stand-in shows no user interface.
    void SetMapName(const char* name, bool isUIAction = false);
    const char* GetMapName() const { return m_mapName.c_str(); }

    void SetAlphaAsMono(BOOL onOff) { m_alphaAsMono = onOff != FALSE ? TRUE : FALSE; }
    BOOL GetAlphaAsMono() const { return m_alphaAsMono; }

private:
    std::string m_mapName;
    BOOL m_alphaAsMono = FALSE;
};

// A new bitmap texture: empty file name and name, alpha-as-mono off.
// Owned as a TriObject from CreateNewTriObject is.
HOST_API BitmapTex* NewDefaultBitmapTex();
