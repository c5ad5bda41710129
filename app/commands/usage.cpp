#include "app/commands/usage.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string_view>

namespace zenthor {
namespace {

// Letters typed wrong, left out, added or swapped with their neighbour.
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Every name of the options `app` takes, with their dashes.
std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

std::vector<std::string> CommandNames(const CLI::App& app) {
    std::vector<std::string> names;
    const auto shown = [](const CLI::App* command) { return !command->get_group().empty(); };
    for (const CLI::App* command : app.get_subcommands(std::function<bool(const CLI::App*)>(shown))) {
        names.push_back(command->get_name());
    }
    return names;
}

// A number that `allowed` accepts, said as "must be " + `description` otherwise.
CLI::Validator NumberCheck(const std::string& description, std::function<bool(double)> allowed) {
    return CLI::Validator(
        [description, allowed](std::string& value) -> std::string {
            double number = 0;
            if (!CLI::detail::lexical_cast(value, number)) {
                return "must be a number";
            }
            return allowed(number) ? "" : "must be " + description;
        },
        description);
}

std::string Suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string closest = ClosestWord(word, candidates);
    return closest.empty() ? "" : "; did you mean " + closest + "?";
}

// The words that CLI11 lists after "...not expected: ".
std::vector<std::string> Unexpected(const std::string& message) {
    std::vector<std::string> words;
    const std::size_t colon = message.find(": ");
    std::string rest = colon == std::string::npos ? "" : message.substr(colon + 2);
    for (std::size_t start = 0; start < rest.size();) {
        const std::size_t space = rest.find(' ', start);
        words.push_back(rest.substr(start, space == std::string::npos ? std::string::npos : space - start));
        start = space == std::string::npos ? rest.size() : space + 1;
    }
    return words;
}

}  // namespace

std::string ClosestWord(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t d = Distance(word, candidate);
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

std::string UsageMessage(const CLI::App& app, const CLI::Error& error, const std::vector<std::string>& args) {
    const std::vector<CLI::App*> parsed = app.get_subcommands();
    const std::string who = parsed.empty() ? "zenthor" : "zenthor " + parsed.front()->get_name();
    const std::string help = " (" + who + " --help lists what it takes)\n";
    const std::string message = error.what();
    const bool extras = dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr;
    if (parsed.empty() && (extras || dynamic_cast<const CLI::RequiredError*>(&error) != nullptr)) {
        // The first word that is no option and no option's value names the command.
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--plugin-dir") {
                ++i;
            } else if (!args[i].empty() && args[i][0] != '-') {
                return "zenthor: unknown command " + args[i] + Suggestion(args[i], CommandNames(app)) + help;
            }
        }
        return "zenthor: name a command: import, info, plugins or browse" + help;
    }
    if (extras) {
        std::string out;
        std::vector<std::string> names = OptionNames(*parsed.front());
        const std::vector<std::string> own = OptionNames(app);
        names.insert(names.end(), own.begin(), own.end());
        for (const std::string& word : Unexpected(message)) {
            const bool option = !word.empty() && word[0] == '-';
            out += who + ": " + (option ? "unknown option " : "unexpected argument ") + word +
                   (option ? Suggestion(word.substr(0, word.find('=')), names) : "") + "\n";
        }
        return out.substr(0, out.size() - 1) + help;
    }
    // Our own checks word their message as "must ...", after the option's name.
    std::string plain = message;
    if (const std::size_t at = plain.find(": must "); at != std::string::npos) {
        plain.replace(at, 2, " ");
    }
    return who + ": " + plain + help;
}

CLI::Validator AtLeast(double least) {
    return NumberCheck("at least " + Number(least), [least](double n) { return n >= least; });
}

CLI::Validator MoreThan(double above) {
    return NumberCheck("more than " + Number(above), [above](double n) { return n > above; });
}

CLI::Validator Between(double least, double most) {
    return NumberCheck("from " + Number(least) + " to " + Number(most),
                       [least, most](double n) { return n >= least && n <= most; });
}

}  // namespace zenthor
