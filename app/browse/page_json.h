// What the page reads as JSON: the models of the tree (/api/models) and one model's import
// (/api/model). Names and paths are bytes: they go out as text to show, UTF-8 as it is and
// any other byte as "\xhh", and each model's path also as `pathParam`, its bytes
// percent-encoded, which names it in a URL whatever its bytes.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include <nlohmann/json_fwd.hpp>

namespace zenthor {

struct CachedImport;

// The import of a resolved model file when one is kept and current; null otherwise.
using KeptImport = std::function<std::shared_ptr<const CachedImport>(const std::filesystem::path& model)>;

// Every .model below the resolved `root`, as '/'-separated paths relative to it in order,
// with its name, size and pathParam, and what the grid shows of its import (`kept`) when
// one is kept; links that lead out of the tree are left out.
nlohmann::json ModelListJson(const std::filesystem::path& root, const KeptImport& kept);

// One model's import: its status, objects, report, message box and the addresses of its
// view, picture and downloads.
nlohmann::json ImportJson(const std::filesystem::path& root, const CachedImport& cached);

}  // namespace zenthor
