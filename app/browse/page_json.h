// What the page reads as JSON: the models of the tree (/api/models) and one model's import
// (/api/model). Names and paths from content files are bytes; they go out as UTF-8.
#pragma once

#include <filesystem>

#include <nlohmann/json_fwd.hpp>

namespace zenthor {

struct CachedImport;

// Every .model below the resolved `root`, as '/'-separated paths relative to it in order,
// with its name and size; links that lead out of the tree are left out.
nlohmann::json ModelListJson(const std::filesystem::path& root);

// One model's import: its status, objects, report, message box and the addresses of its
// view, picture and downloads.
nlohmann::json ImportJson(const std::filesystem::path& root, const CachedImport& cached);

}  // namespace zenthor
