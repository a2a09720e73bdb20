#include "menu/editor.h"

#include "menu/terminal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include <dlfcn.h>
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

namespace qv::menu {

namespace {

// The answers of a run that Up calls back, the latest ones.
constexpr int kHistoryMost = 100;

// libedit's functions, looked up once the library is loaded: linked in, it
// would be mapped at the start of every command too.
struct Libedit {
    EditLine* (*init)(const char*, FILE*, FILE*, FILE*) = nullptr;
    void (*end)(EditLine*) = nullptr;
    int (*set)(EditLine*, int, ...) = nullptr;
    int (*wset)(EditLine*, int, ...) = nullptr;
    int (*get)(EditLine*, int, ...) = nullptr;
    const char* (*gets)(EditLine*, int*) = nullptr;
    const LineInfoW* (*wline)(EditLine*) = nullptr;
    int (*cursor)(EditLine*, int) = nullptr;
    void (*deletestr)(EditLine*, int) = nullptr;
    void (*resize)(EditLine*) = nullptr;
    History* (*historyInit)() = nullptr;
    void (*historyEnd)(History*) = nullptr;
    int (*history)(History*, HistEvent*, int, ...) = nullptr;

    template <class F>
    static bool find(void* lib, const char* name, F*& f)
    {
        void* found = ::dlsym(lib, name);
        f = reinterpret_cast<F*>(found);
        return found != nullptr;
    }

    bool load()
    {
        void* lib = ::dlopen("libedit.so.2", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr)
            return false;
        if (find(lib, "el_init", init) && find(lib, "el_end", end) && find(lib, "el_set", set)
            && find(lib, "el_wset", wset) && find(lib, "el_get", get) && find(lib, "el_gets", gets)
            && find(lib, "el_wline", wline) && find(lib, "el_cursor", cursor) && find(lib, "el_deletestr", deletestr)
            && find(lib, "el_resize", resize) && find(lib, "history_init", historyInit)
            && find(lib, "history_end", historyEnd) && find(lib, "history", history))
            return true;
        (void)::dlclose(lib);
        return false;
    }
};

// Loaded once, for the one terminal of a run.
Libedit libedit;

// libedit reads and shows characters in the locale's encoding. Where the
// locale names none beyond ASCII (C, POSIX: LANG not set), UTF-8 is taken,
// which is what terminals send.
void takeTerminalEncoding()
{
    const char* set = std::setlocale(LC_CTYPE, "");
    if (set == nullptr || (MB_CUR_MAX == 1 && std::strcmp(::nl_langinfo(CODESET), "ANSI_X3.4-1968") == 0))
        (void)std::setlocale(LC_CTYPE, "C.UTF-8");
}

constexpr wchar_t kEsc = 0x1b, kQuote = 0x16 /* ^V */, kYank = 0x19 /* ^Y */;

// The keys the editor knows, bound over libedit's emacs defaults: the
// arrows (Up and Down go through the answers typed before), Home, End and
// Delete as the usual terminals send them; Ctrl-A, E, K, U, W and D as a
// terminal has them whatever its settings; Tab, which types a Tab as it
// always did, instead of completing. Any other sequence that begins with
// Escape (a function key, Alt with a key) is dropped whole.
constexpr std::array<std::array<const char*, 2>, 24> kKeys{{
    {"\x1b[A", "ed-prev-history"},   {"\x1bOA", "ed-prev-history"},      {"\x1b[B", "ed-next-history"},
    {"\x1bOB", "ed-next-history"},   {"\x1b[C", "ed-next-char"},         {"\x1bOC", "ed-next-char"},
    {"\x1b[D", "ed-prev-char"},      {"\x1bOD", "ed-prev-char"},         {"\x1b[H", "ed-move-to-beg"},
    {"\x1bOH", "ed-move-to-beg"},    {"\x1b[1~", "ed-move-to-beg"},      {"\x1b[7~", "ed-move-to-beg"},
    {"\x1b[F", "ed-move-to-end"},    {"\x1bOF", "ed-move-to-end"},       {"\x1b[4~", "ed-move-to-end"},
    {"\x1b[8~", "ed-move-to-end"},   {"\x1b[3~", "ed-delete-next-char"}, {"\x01", "ed-move-to-beg"},
    {"\x05", "ed-move-to-end"},      {"\x0b", "ed-kill-line"},           {"\x15", "em-kill-line"},
    {"\x17", "ed-delete-prev-word"}, {"\x04", "quorvane-end-or-delete"}, {"\t", "ed-insert"},
}};

bool known(const std::wstring& sequence)
{
    for (const auto& [keys, action] : kKeys)
        if (std::equal(sequence.begin(), sequence.end(), keys, keys + std::strlen(keys)))
            return true;
    return false;
}

}  // namespace

struct LineEditor::Impl {
    EditLine* el = nullptr;
    History* history = nullptr;
    std::string prompt;
    std::wstring pending;  // the rest of a known key's sequence

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl()
    {
        if (el != nullptr) {
            // Disabled first, libedit leaves the terminal as it is (as the
            // user has it after every read) and drops no key typed ahead.
            (void)libedit.set(el, EL_EDITMODE, 0);
            libedit.end(el);
        }
        if (history != nullptr)
            libedit.historyEnd(history);
    }

    // A character of the terminal's encoding, read a byte at a time: 1, or
    // 0 at the end of input, -1 on an error. Bytes that make no character
    // are dropped, as libedit's own reader drops them; an ASCII byte that
    // cuts a character short stands for itself.
    int readCharacter(wchar_t* c)
    {
        std::array<char, MB_LEN_MAX> bytes{};
        for (std::size_t n = 0;;) {
            const ssize_t got = ::read(STDIN_FILENO, &bytes[n], 1);
            if (got < 0 && errno == EINTR) {
                afterSignal();
                continue;
            }
            if (got <= 0)
                return got == 0 ? 0 : -1;
            std::mbstate_t state{};
            const std::size_t took = std::mbrtowc(c, bytes.data(), ++n, &state);
            if (took == static_cast<std::size_t>(-2) && n < bytes.size())
                continue;
            if (took <= n)
                return 1;
            *c = static_cast<unsigned char>(bytes[n - 1]);
            if (*c < 0x80)
                return 1;
            n = 0;
        }
    }

    // The rest of a sequence that began with Escape: '[' and up to a final
    // byte, 'O' and one more, or one character. Escape twice (Alt with an
    // arrow, on some terminals) counts once.
    int readSequence(std::wstring& sequence)
    {
        for (wchar_t c = 0; sequence.size() < 16;) {
            if (const int got = readCharacter(&c); got != 1)
                return got;
            if (c == kEsc && sequence.size() == 1)
                continue;
            sequence += c;
            const bool csi = sequence[1] == L'[' && (sequence.size() == 2 || c < 0x40 || c > 0x7e);
            if (!csi && !(sequence[1] == L'O' && sequence.size() == 2))
                break;
        }
        return 1;
    }

    // The next key for libedit. A sequence that begins with Escape is read
    // whole and passed on only when it is a known key. Dropped too: a NUL,
    // which would end the line libedit hands over, and a key that adds to a
    // line already as long as a line may be.
    int readKey(wchar_t* key)
    {
        if (!pending.empty()) {
            *key = pending.front();
            pending.erase(0, 1);
            return 1;
        }
        for (;;) {
            if (const int got = readCharacter(key); got != 1)
                return got;
            if (*key == kEsc) {
                std::wstring sequence(1, kEsc);
                if (const int got = readSequence(sequence); got != 1)
                    return got;
                if (known(sequence)) {
                    pending = sequence.substr(1);
                    return 1;
                }
                continue;
            }
            if (*key == 0)
                continue;
            const bool adds = *key == L'\t' || *key == kQuote || *key == kYank || (*key >= 0x20 && *key != 0x7f);
            const LineInfoW* line = libedit.wline(el);
            if (!adds || static_cast<std::size_t>(line->lastchar - line->buffer) < kLineMost)
                return 1;
        }
    }

    // After a signal: the line drawn again, to the terminal's new width.
    void afterSignal()
    {
        const bool resize = takeResize();
        if (resize)
            libedit.resize(el);
        if (takeRedraw() || resize)
            (void)libedit.set(el, EL_REFRESH);
    }
};

namespace {

LineEditor::Impl& implOf(EditLine* el)
{
    void* impl = nullptr;
    (void)libedit.get(el, EL_CLIENTDATA, &impl);
    return *static_cast<LineEditor::Impl*>(impl);
}

char* promptOf(EditLine* el) { return implOf(el).prompt.data(); }

int readKey(EditLine* el, wchar_t* key) { return implOf(el).readKey(key); }

// Ctrl-D: the end of input on an empty line, as a terminal has it;
// otherwise the character under the cursor deleted.
unsigned char endOrDelete(EditLine* el, int /*key*/)
{
    const LineInfoW* line = libedit.wline(el);
    if (line->lastchar == line->buffer)
        return CC_EOF;
    if (line->cursor == line->lastchar)
        return CC_ERROR;
    (void)libedit.cursor(el, 1);
    libedit.deletestr(el, 1);
    return CC_REFRESH;
}

}  // namespace

LineEditor::LineEditor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

LineEditor::~LineEditor() = default;

std::unique_ptr<LineEditor> LineEditor::start()
{
    if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0 || !libedit.load())
        return nullptr;
    takeTerminalEncoding();
    auto impl = std::make_unique<Impl>();
    impl->el = libedit.init("quorvane", stdin, stdout, stderr);
    impl->history = libedit.historyInit();
    if (impl->el == nullptr || impl->history == nullptr)
        return nullptr;
    EditLine* el = impl->el;
    HistEvent event{};
    (void)libedit.history(impl->history, &event, H_SETSIZE, kHistoryMost);
    (void)libedit.set(el, EL_CLIENTDATA, impl.get());
    (void)libedit.set(el, EL_EDITOR, "emacs");
    (void)libedit.set(el, EL_PROMPT, promptOf);
    (void)libedit.set(el, EL_GETCFN, readKey);
    (void)libedit.set(el, EL_HIST, libedit.history, impl->history);
    // Named in wide characters, which libedit keeps as they are (it copies
    // narrow ones and never frees the copies).
    (void)libedit.wset(el, EL_ADDFN, L"quorvane-end-or-delete", L"End of input on an empty line", endOrDelete);
    for (const auto& [keys, action] : kKeys)
        (void)libedit.set(el, EL_BIND, keys, action, static_cast<const char*>(nullptr));
    return std::unique_ptr<LineEditor>(new LineEditor(std::move(impl)));
}

std::string_view LineEditor::read(std::string_view prompt)
{
    Impl& impl = *impl_;
    impl.prompt.assign(prompt);
    impl.pending.clear();
    int count = 0;
    const char* line = nullptr;
    if (const CaughtSignals signals; signals.caught())
        line = libedit.gets(impl.el, &count);
    if (line == nullptr || count <= 0)
        return {};
    const std::string_view got(line, static_cast<std::size_t>(count));
    const std::string typed(got.substr(0, got.back() == '\n' ? got.size() - 1 : got.size()));
    HistEvent event{};
    if (!typed.empty())
        (void)libedit.history(impl.history, &event, H_ENTER, typed.c_str());
    return got;
}

}  // namespace qv::menu
