#include "cli/usage.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"

namespace qv::cli {

const Command* commandNamed(const std::string& name)
{
    const auto all = commands();
    const auto c = std::find_if(all.begin(), all.end(), [&](const Command& k) { return name == k.name; });
    return c == all.end() ? nullptr : &*c;
}

void printUsage()
{
    std::string lines(text::kUsage);
    for (const Command& c : commands()) {
        if (c.takes & ForGit)
            continue;
        std::string synopsis = c.synopsis;
        synopsis.resize(std::max<std::size_t>(synopsis.size(), 33), ' ');
        lines.append("  ").append(synopsis).append(" ").append(c.what).append("\n");
    }
    print(lines + std::string(text::kUsageEnd));
}

void printHelp(const Command& c)
{
    print(std::string("Usage: quorvane [-C DIR] ") + c.synopsis + "\n" + c.what + "\n" + c.more);
}

namespace {

// The number of one-letter changes that turn `a` into `b`.
std::size_t distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

int usage(const std::string& who, const std::string& why, const char* suggestion)
{
    std::string lines = "quorvane: " + (who.empty() ? "" : who + ": ") + why + "\n";
    if (suggestion)
        lines.append(text::kDidYouMean).append(suggestion).append("'?\n");
    lines.append(text::kTryHelp).append("\n");
    (void)std::fputs(lines.c_str(), stderr);  // nowhere left to tell if this fails
    return kUsage;
}

int unknownCommand(const std::string& name)
{
    const Command* best = nullptr;
    for (const Command& c : commands())
        if (distance(name, c.name) <= 2 && (!best || distance(name, c.name) < distance(name, best->name)))
            best = &c;
    return usage("", std::string(text::kWhyUnknown) + "'" + name + "'", best ? best->name : nullptr);
}

// `arg` is the argument it was
// reading when it refused, `letter` the short option it names (0 for a long
// option it does not know). A bundle such as -xj leaves `arg` at the word
// before it, so a long option is only blamed when the letter is its own.
std::string optionMistake(int refused, const char* arg, int letter, const option* longs)
{
    const std::string word = arg, name = word.substr(0, word.find('='));
    const option* known = nullptr;
    for (const option* o = longs; word.starts_with("--") && o->name && !known; ++o)
        if (std::string_view(o->name).starts_with(name.substr(2)))
            known = o;
    const bool longForm = word.starts_with("--") && (letter == 0 || (known && known->val == letter));
    const std::string full = known ? std::string("--") + known->name : name;
    if (refused == ':')
        return longForm ? "option '" + full + "' requires an argument"
                        : std::string(text::kWhyValue) + "'" + static_cast<char>(letter) + "'";
    if (longForm)
        return letter == 0 ? std::string(text::kWhyOption) + "'" + word + "'"
                           : "option '" + full + "' doesn't allow an argument";
    return std::string(text::kWhyShortOption) + "'" + static_cast<char>(letter) + "'";
}

}  // namespace qv::cli
