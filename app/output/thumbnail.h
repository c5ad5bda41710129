// A small picture of an imported scene, drawn on the CPU (no graphics hardware needed): a
// three-quarter view from above, framed to the scene's bounds, lit from the viewer's side,
// each object in its texture's colours where the texture can be read, cut out where the
// texture's alpha is below one half, on a transparent background.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "texture/rgba_image.h"

class HostScene;

namespace zenthor {

inline constexpr std::uint32_t kThumbnailSize = 256;

// The decoded texture whose host file name is `mapName`; null when it cannot be read.
using TextureLookup = std::function<const RgbaImage*(const std::string& mapName)>;

RgbaImage RenderThumbnail(const HostScene& scene, const TextureLookup& textures);

// The picture of a model that has none (its import failed): a grey cross on transparency.
RgbaImage NoPictureThumbnail();

}  // namespace zenthor
