// Runs the program as its users meet it. Each case file in cases/ holds the
// starting files, the typed input, and the expected screen and files; the
// program runs in a fresh directory, and the screen and every file left
// there are compared byte for byte (a file nobody expected fails too). Run
// alone, it runs every case; a failure names the case, the step, and for the
// menu the operation in which the first difference falls.
//
// A case is a list of sections, each opened by a line "== <kind> ...":
//   start NAME [< SHARED]   a file there before the run (or cases/shared/SHARED)
//   setup, after            shell lines run in the directory before the run,
//                           and after it and the comparisons (they must succeed)
//   keys A|B|C              the menu's input: the lines A, B and C
//   stdin                   the menu's input, as the section's body
//   stdout STEP             the menu's expected screen; the session is the step
//   cli                     shell lines "$ quorvane ARGS  ## STEP", each followed
//                           by its standard output, its standard error with
//                           each line marked "! ", and "? N" for a status N but
//                           0; $QUORVANE is the binary, for `timeout $QUORVANE`
//   file NAME...            files expected afterwards, holding the body
//   same NAME...            files expected as they were at the start
//   exists NAME...          files expected, contents not compared
// A body is its lines, each ended by a newline. {banner}, {new}, {loaded},
// {menu} and {damaged} stand for the start-up lines, the menu and the refusal
// of a damaged data file, {xHH} for a byte; {nonl} takes back the newline
// that ends its line, and {skip} in an expected text passes over anything up
// to the text that follows it, though never over a menu prompt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <stdlib.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Case {
    std::map<std::string, std::string> start, expected, text;  // text: the sections by kind
    std::set<std::string> present;
    std::string session;  // the menu session's step name
};

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kPrompt = "Please enter the code  \n:";
const std::pair<std::string, std::string> kTokens[] = {
    {"{banner}", "Quorvane (Text Version v1.1.2) for Linux. \ncode:KX-P-1 \n"},
    {"{new}", "Data file not found , creating a one ... \n"},
    {"{loaded}", "Data file loaded successful .... \n"},
    {"{menu}",
     "\n(1)Enter new S/N to DataBase \n(2)Edit the exist data \n(3)Delete the exist data \n"
     "(4)Load the VELK files \n(5)Save the VELK files as text file \n(6)Search S/N in DataBase \n"
     "(7)View full data \n(8)View README \n(9)Check the data file \n(R)VELK Recovery \n(Q)Quit \n"
         + kPrompt},
    {"{damaged}", "The data file is damaged , nothing has been changed , please check it (9) or recover it (R) . "},
    {"{nonl}\n", ""},
};

std::string expand(const std::string& body)
{
    std::string out;
    for (std::size_t at = 0; at < body.size();) {
        auto token = std::find_if(std::begin(kTokens), std::end(kTokens),
                                  [&](const auto& t) { return body.compare(at, t.first.size(), t.first) == 0; });
        if (token != std::end(kTokens))
            out += token->second, at += token->first.size();
        else if (body.compare(at, 2, "{x") == 0 && body.size() > at + 4 && body[at + 4] == '}')
            out += static_cast<char>(std::stoi(body.substr(at + 2, 2), nullptr, 16)), at += 5;
        else
            out += body[at++];
    }
    return out;
}

Case parse(const fs::path& path)
{
    Case c;
    std::istringstream text(slurp(path));
    std::vector<std::pair<std::vector<std::string>, std::string>> sections;  // header words, body
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line.substr(std::min<std::size_t>(3, line.size())));
        if (line.rfind("== keys ", 0) == 0)
            line = line.substr(8) + "\n", std::replace(line.begin(), line.end(), '|', '\n'), c.text["stdin"] = line;
        else if (line.rfind("== ", 0) == 0)
            sections.push_back({{std::istream_iterator<std::string>(words), {}}, ""});
        else if (!sections.empty())
            sections.back().second += line + "\n";
    }
    for (auto& [head, raw] : sections) {
        const std::string kind = head[0];
        std::string body = expand(raw);
        std::vector<std::string> names(head.begin() + 1, head.end());
        if (head.size() == 4 && head[2] == "<")
            body = slurp(path.parent_path() / "shared" / head[3]), names = {head[1]};
        for (const std::string& name : names) {
            if (kind == "start")
                c.start[name] = body;
            if (kind == "file")
                c.expected[name] = body;
            if (kind == "same")
                c.expected[name] = c.start.at(name);
            if (kind == "file" || kind == "same" || kind == "exists")
                c.present.insert(name);
        }
        if (kind != "start" && kind != "file" && kind != "same" && kind != "exists") {
            c.text[kind] = body;
            for (const std::string& word : names)
                c.session += (c.session.empty() ? "" : " ") + word;
        }
    }
    return c;
}

// Empty when `got` matches `want`; otherwise where they part, with context;
// `at` receives where in `got`.
std::string difference(const std::string& want, const std::string& got, std::size_t* at = nullptr)
{
    std::size_t w = 0, g = 0;
    for (std::size_t skip; (skip = want.find("{skip}", w)) != std::string::npos; w = skip + 6) {
        if (got.compare(g, skip - w, want, w, skip - w) != 0)
            break;
        g += skip - w;
        std::size_t next = want.find("{skip}", skip + 6);
        std::string after = want.substr(skip + 6, next == std::string::npos ? next : next - skip - 6);
        std::size_t found =
            next != std::string::npos ? got.find(after, g) : got.size() - std::min(got.size() - g, after.size());
        if (found == std::string::npos || got.substr(g, found - g).find(kPrompt) != std::string::npos)
            break;  // a skip never passes over a menu prompt: it stays inside one operation
        g = found;
    }
    std::size_t same = 0;
    while (w + same < want.size() && g + same < got.size() && want[w + same] == got[g + same])
        ++same;
    if (w + same == want.size() && g + same == got.size())
        return "";
    if (at)
        *at = g + same;
    std::size_t back = std::min<std::size_t>(same, 60);
    return "first difference at byte " + std::to_string(g + same) + "\n--- expected ---\n"
        + want.substr(w + same - back, 120) + "\n--- got ---\n" + got.substr(g + same - back, 120) + "\n---";
}

// What follows the last `mark` that begins before offset `at` of `text`, to
// the end of its line, and within it what follows `from` where it holds that.
std::string lineBefore(const std::string& text, std::size_t at, const std::string& mark, const std::string& from)
{
    const std::string lines = "\n" + text;
    std::size_t start = lines.rfind(mark, at + 1);
    if (start == std::string::npos)
        return "";
    start += mark.size();
    std::string line = lines.substr(start, lines.find('\n', start) - start);
    const std::size_t name = line.rfind(from);
    return name == std::string::npos ? line : line.substr(name + from.size());
}

// Runs the menu with the typed input; the screen, and the status if not 0.
std::string runMenu(const Case& c, const fs::path& dir, const fs::path& io)
{
    std::ofstream(io / "stdin", std::ios::binary) << c.text.at("stdin");
    int status = std::system(("cd '" + dir.string() + "' && timeout 30 '" QUORVANE_BINARY "' <'"
                              + (io / "stdin").string() + "' >'" + (io / "out").string() + "'")
                                 .c_str());
    return slurp(io / "out") + (status ? "\n(status " + std::to_string(status) + ")" : "");
}

// Runs the "$ " lines of a cli section one by one, and writes what they did
// in the same form.
std::string transcript(const std::string& script, const fs::path& dir, const fs::path& io)
{
    std::string out;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("$ ", 0) != 0)
            continue;
        std::string cmd = "QUORVANE='" QUORVANE_BINARY "'; quorvane() { \"$QUORVANE\" \"$@\"; }; cd '" + dir.string()
            + "' && { " + line.substr(2) + "\n} </dev/null >'" + (io / "out").string() + "' 2>'" + (io / "err").string()
            + "'";
        int status = WEXITSTATUS(std::system(cmd.c_str()));
        out += line + "\n" + slurp(io / "out");
        std::istringstream err(slurp(io / "err"));
        for (std::string e; std::getline(err, e);)
            out += "! " + e + "\n";
        out += status ? "? " + std::to_string(status) + "\n" : "";
    }
    return out;
}

int shell(const fs::path& dir, const std::string& lines)
{
    return std::system(("cd '" + dir.string() + "' && (set -e\n" + lines + ") >&2").c_str());
}

class Session : public testing::TestWithParam<fs::path> {};

TEST_P(Session, Runs)
{
    Case c = parse(GetParam());
    char scratch[] = "/tmp/quorvane-case-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    fs::path io = scratch, dir = io / "work";
    fs::create_directory(dir);
    // Nobody's own configuration reaches git in a case: no identity, no hooks.
    ::setenv("HOME", scratch, 1);
    ::setenv("GIT_CONFIG_NOSYSTEM", "1", 1);
    for (auto& [name, bytes] : c.start)
        std::ofstream(dir / name, std::ios::binary) << bytes;
    ASSERT_EQ(shell(dir, c.text["setup"]), 0) << "in the setup";
    std::size_t at = 0;
    if (c.text.count("stdin")) {
        const std::string got = runMenu(c, dir, io), diff = difference(c.text["stdout"], got, &at);
        EXPECT_EQ(diff, "") << "in the menu session '" << c.session << "', in the operation headed '"
                            << lineBefore(got, at, kPrompt, kPrompt) << "'";
    }
    const std::string got = transcript(c.text["cli"], dir, io), diff = difference(c.text["cli"], got, &at);
    EXPECT_EQ(diff, "") << "in the step '" << lineBefore(got, at, "\n$ ", "## ") << "'";
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        found.insert(entry.path().filename().string());
    EXPECT_EQ(found, c.present) << "files in the working directory";
    for (auto& [name, bytes] : c.expected)
        EXPECT_EQ(difference(bytes, slurp(dir / name)), "") << "in " << name;
    EXPECT_EQ(shell(dir, c.text["after"]), 0) << "after the run";
    fs::remove_all(io);
}

// Every case in cases/, one test each, named by its file.
std::vector<fs::path> cases()
{
    std::vector<fs::path> all;
    for (const auto& entry : fs::directory_iterator(QUORVANE_CASES))
        if (entry.path().extension() == ".case")
            all.push_back(entry.path());
    std::sort(all.begin(), all.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(Cases, Session, testing::ValuesIn(cases()), [](const auto& info) {
    std::string name = info.param.stem().string();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
