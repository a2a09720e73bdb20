#include "menu/terminal.h"

#include <array>
#include <cerrno>
#include <csignal>

#include <termios.h>
#include <unistd.h>

namespace qv::menu {

namespace {

// The terminal's settings as the user has them, put back by a signal that
// comes while libedit has the terminal in its own mode; what a signal asks
// of the reading of keys.
termios userMode{};
volatile std::sig_atomic_t redraw = 0, resized = 0;
constexpr std::array kCaught{SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGWINCH};
std::array<struct sigaction, kCaught.size()> before{};

// The key that made the terminal send `sig`, shown as the terminal shows it
// when it is not being edited: ^C, ^\ or ^Z.
void echoKey(int sig)
{
    const int which = sig == SIGINT ? VINTR : sig == SIGQUIT ? VQUIT : sig == SIGTSTP ? VSUSP : -1;
    if (which < 0 || (userMode.c_lflag & ECHO) == 0)
        return;
    const unsigned char key = userMode.c_cc[which];
    if ((userMode.c_lflag & ECHOCTL) != 0 && (key < 0x20 || key == 0x7f) && key != '\t') {
        const std::array<char, 2> shown{'^', static_cast<char>(key ^ 0x40)};
        (void)!::write(STDOUT_FILENO, shown.data(), shown.size());
    } else {
        (void)!::write(STDOUT_FILENO, &key, 1);
    }
}

// A signal while a line is read: the terminal goes back to the user's mode
// and the signal does what it did before, ending the program or stopping
// it; a program continued has its line drawn again.
extern "C" void onSignal(int sig, siginfo_t* info, void* /*context*/)
{
    const int saved = errno;
    if (sig == SIGWINCH) {
        resized = 1;
        errno = saved;
        return;
    }
    std::size_t i = 0;
    while (kCaught[i] != sig)
        ++i;
    termios editing{};
    const bool edited = ::tcgetattr(STDIN_FILENO, &editing) == 0;
    (void)::tcsetattr(STDIN_FILENO, TCSANOW, &userMode);
    if (info != nullptr && info->si_code == SI_KERNEL)
        echoKey(sig);
    struct sigaction mine {};
    (void)::sigaction(sig, &before[i], &mine);
    (void)::raise(sig);  // delivered at once (SA_NODEFER)
    (void)::sigaction(sig, &mine, nullptr);
    if (edited)
        (void)::tcsetattr(STDIN_FILENO, TCSANOW, &editing);
    redraw = 1;
    errno = saved;
}

}  // namespace

CaughtSignals::CaughtSignals()
{
    if (::tcgetattr(STDIN_FILENO, &userMode) != 0)
        return;
    caught_ = true;
    struct sigaction act {};
    act.sa_sigaction = onSignal;
    act.sa_flags = SA_SIGINFO | SA_NODEFER;  // no SA_RESTART: the read of a key is woken
    sigemptyset(&act.sa_mask);
    for (std::size_t i = 0; i < kCaught.size(); ++i)
        if (::sigaction(kCaught[i], nullptr, &before[i]) == 0 && before[i].sa_handler != SIG_IGN)
            (void)::sigaction(kCaught[i], &act, nullptr);
}

CaughtSignals::~CaughtSignals()
{
    if (caught_)
        for (std::size_t i = 0; i < kCaught.size(); ++i)
            (void)::sigaction(kCaught[i], &before[i], nullptr);
}

bool takeRedraw()
{
    const bool asked = redraw != 0;
    redraw = 0;
    return asked;
}

bool takeResize()
{
    const bool asked = resized != 0;
    resized = 0;
    return asked;
}

}  // namespace qv::menu
