// fakemodem: a voice modem with caller ID on a pseudo-terminal, for tests and demos.
//
// Usage:
//   fakemodem [--profile voice|nocid|data|dead] [--link PATH] [--ring-ms N] [--rings N]
//             [--style spaced|compact] [--cid-command +VCID|#CID|-STE|%CCID|+CID|+CLIP]
//             [--datetime MMDDHHMM] [--require-cid-enable]
//
//   --profile      voice (default): class 8 listed, caller ID on.
//                  nocid: like voice, but every caller-ID command answers ERROR and calls bring
//                  only RINGs.  data: AT+FCLASS=? lists only "0,1".  dead: a device that is not
//                  a modem; it never answers, echoes or rings (only "send" reaches the device).
//   --link PATH    keep a symlink at PATH pointing to the current slave device (replaced if it
//                  exists, removed on unplug and at exit).
//   --ring-ms N    time between two RINGs (default 1000).  The caller-ID block comes N/2 after
//                  the first RING, or N/2 before it for before-ring.
//   --rings N      RINGs per call (default 3).
//   --style        spaced (default): "NMBR = 5551234567"; compact: "NMBR=5551234567".
//   --cid-command  the one caller-ID enable command that answers OK (default +VCID); the others
//                  answer ERROR.  With -STE, +VCID answers OK only after -STE=1, as in
//                  "AT-STE=1;+VCID=1".  +CLIP is how mobile-network modems switch it on.
//   --datetime     fixed MMDDHHMM for caller-ID dates (default: local time when the call starts).
//   --require-cid-enable
//                  send caller-ID data only after a caller-ID command set a non-zero mode;
//                  ATZ and AT&F clear it, as on real hardware.
//
// Standard output, one line each, flushed at once:
//   <path>            first line: the device to open (the --link path when given)
//   READY
//   AT> <line>        every command line received on the device, as received, without CR/LF
//   CALL DONE         a scripted call has sent its last RING (or caller ID, when that is later)
//   UNPLUGGED
//   PLUGGED <path>    the new device to open (again the --link path when given)
//
// Standard input, one command a line (EOF ends the program like quit):
//   call NUMBER [NAME...]          formatted caller ID after the first RING
//   before-ring NUMBER [NAME...]   formatted caller ID before the first RING
//   private [NAME...]              NMBR = P (withheld)
//   privateword [NAME...]          NMBR = PRIVATE
//   outofarea [NAME...]            NMBR = O
//   mesg NUMBER [NAME...]          adds an unknown MESG line and says DDN_NMBR instead of NMBR
//   hex NUMBER [NAME...]           unformatted MDMF message as one line of hex digits
//                                  (NUMBER P or O becomes the reason-for-absence parameter)
//   hexwrap NUMBER [NAME...]       the MDMF message wrapped over two lines
//   sdmf NUMBER                    unformatted SDMF message as one line of hex digits
//   clip NUMBER [NAME...]          a mobile modem's +CLIP line after every RING
//                                  (NUMBER P: withheld, O: not available)
//   ring                           a call without any caller-ID data
//   send TEXT                      writes TEXT and CR LF to the device at once
//   unplug | plug | quit
//
// On the device: commands end with CR (LF is taken too), several may follow one AT
// ("ATE0V1Q0", "AT-STE=1;+VCID=1").  Answers are verbose ("\r\nOK\r\n") unless ATV0, none
// with ATQ1; echo is on at power-up and after ATZ/AT&F, as on real modems.  Known: E V Q Z I I3
// A H L M X T P D... &F &C &D &K &W &S &Q &V Sn=v Sn? +FCLASS=? +FCLASS? +FCLASS=n +GMM +GMI +GMR
// and the caller-ID commands; anything else answers ERROR, lines not starting with AT are ignored.
// While no process has the device open, whatever the modem sends is lost, as on a serial line.
//
// A call given while another is still ringing starts one ring gap after the last output of the
// calls before it.  ATA and ATH are answered OK but do not stop a ringing call.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

enum class Profile { Voice, NoCid, Data, Dead };

struct Options {
    Profile profile = Profile::Voice;
    std::string link;
    int ringMs = 1000;
    int rings = 3;
    bool compact = false;
    std::string cidCommand = "+VCID";
    std::string dateTime;
    bool requireCidEnable = false;
};

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

void say(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void complain(const std::string &text)
{
    std::fprintf(stderr, "fakemodem: %s\n", text.c_str());
}

// ---------------------------------------------------------------------------------------------
// Caller-ID data as the line delivers it

std::string currentDateTime(const Options &opt)
{
    if (!opt.dateTime.empty())
        return opt.dateTime;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d", (local.tm_mon + 1) % 100, local.tm_mday % 100,
                  local.tm_hour % 100, local.tm_min % 100);
    return buf;
}

struct FormattedCid {
    std::string numberTag = "NMBR";
    std::string number;
    std::string name;
    bool withMesg = false;
};

std::string formattedBlock(const Options &opt, const FormattedCid &cid)
{
    const std::string eq = opt.compact ? "=" : " = ";
    const std::string dt = currentDateTime(opt);
    std::string out = "\r\n";
    out += "DATE" + eq + dt.substr(0, 4) + "\r\n";
    out += "TIME" + eq + dt.substr(4, 4) + "\r\n";
    // A parameter the modem cannot decode (here: a message-waiting indicator with its own
    // checksum); drivers must skip such lines, so it sits between lines they do need.
    if (cid.withMesg)
        out += "MESG" + eq + "030108F4\r\n";
    out += cid.numberTag + eq + cid.number + "\r\n";
    if (!cid.name.empty())
        out += "NAME" + eq + cid.name + "\r\n";
    return out;
}

std::string hexLine(const std::vector<unsigned char> &message)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "\r\n";
    for (unsigned char b : message) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    out += "\r\n";
    return out;
}

// Closes a message: length byte after the type, checksum so that all bytes sum to 0 mod 256.
std::vector<unsigned char> sealMessage(unsigned char type, const std::vector<unsigned char> &body)
{
    std::vector<unsigned char> msg;
    msg.reserve(body.size() + 3);
    msg.push_back(type);
    msg.push_back(static_cast<unsigned char>(body.size()));
    for (unsigned char b : body)
        msg.push_back(b);
    unsigned sum = 0;
    for (unsigned char b : msg)
        sum += b;
    msg.push_back(static_cast<unsigned char>((256 - sum % 256) % 256));
    return msg;
}

// Values are cut so the one-byte lengths stay valid whatever a test passes in.
void addParam(std::vector<unsigned char> &body, unsigned char type, std::string_view value)
{
    value = value.substr(0, 64);
    body.push_back(type);
    body.push_back(static_cast<unsigned char>(value.size()));
    body.insert(body.end(), value.begin(), value.end());
}

std::string mdmfBlock(const Options &opt, const std::string &number, const std::string &name)
{
    std::vector<unsigned char> body;
    addParam(body, 0x01, currentDateTime(opt));
    if (number == "P" || number == "O")
        addParam(body, 0x04, number);
    else
        addParam(body, 0x02, number);
    if (!name.empty())
        addParam(body, 0x07, name);
    return hexLine(sealMessage(0x80, body));
}

// Some modems break a long message into lines of a fixed width.
std::string wrappedMdmfBlock(const Options &opt, const std::string &number, const std::string &name)
{
    const std::string line = mdmfBlock(opt, number, name);
    const size_t digits = line.size() - 4; // without the CR LF on either side
    const size_t firstLine = std::min<size_t>(40, digits / 2 * 2);
    return line.substr(0, 2 + firstLine) + "\r\n" + line.substr(2 + firstLine);
}

std::string clipBlock(const std::string &number, const std::string &name)
{
    if (number == "P")
        return "\r\n+CLIP: \"\",128,,,,1\r\n";
    if (number == "O")
        return "\r\n+CLIP: \"\",128,,,,2\r\n";
    const std::string type = !number.empty() && number[0] == '+' ? "145" : "129";
    return "\r\n+CLIP: \"" + number + "\"," + type + ",\"\",,\"" + name + "\",0\r\n";
}

std::string sdmfBlock(const Options &opt, const std::string &number)
{
    const std::string dt = currentDateTime(opt);
    std::string_view nr = std::string_view(number).substr(0, 64);
    std::vector<unsigned char> body(dt.begin(), dt.end());
    body.insert(body.end(), nr.begin(), nr.end());
    return hexLine(sealMessage(0x04, body));
}

// ---------------------------------------------------------------------------------------------
// The pseudo-terminal

struct Pty {
    int master = -1;
    std::string slavePath;
};

std::optional<Pty> openPty()
{
    Pty pty;
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0) {
        complain(std::string("posix_openpt: ") + std::strerror(errno));
        return std::nullopt;
    }
    const char *name = nullptr;
    if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0 || !(name = ptsname(pty.master))) {
        complain(std::string("pty setup: ") + std::strerror(errno));
        ::close(pty.master);
        return std::nullopt;
    }
    pty.slavePath = name;
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    fcntl(pty.master, F_SETFD, FD_CLOEXEC);

    // Raw mode is set once through a short-lived slave handle; the settings stay with the
    // terminal while the master is open. The slave is not kept open here, so that the master
    // reports a hang-up while no client listens and nothing piles up for the next opener.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        termios tio{};
        if (tcgetattr(slave, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetispeed(&tio, B115200);
            cfsetospeed(&tio, B115200);
            tcsetattr(slave, TCSANOW, &tio);
        }
        ::close(slave);
    } else {
        complain(std::string("open ") + name + ": " + std::strerror(errno));
    }
    return pty;
}

bool pointLink(const std::string &link, const std::string &target)
{
    // Replace through rename so a client never finds the link missing or half-made.
    const std::string tmp = link + ".fakemodem-tmp";
    ::unlink(tmp.c_str());
    if (::symlink(target.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), link.c_str()) != 0) {
        complain("cannot create link " + link + ": " + std::strerror(errno));
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The modem

class FakeModem {
public:
    explicit FakeModem(Options opt) : opt_(std::move(opt)) { reset(); }

    bool plug()
    {
        if (pty_.master >= 0)
            return true;
        auto pty = openPty();
        if (!pty)
            return false;
        if (!opt_.link.empty() && !pointLink(opt_.link, pty->slavePath)) {
            ::close(pty->master);
            return false;
        }
        pty_ = *pty;
        // A device that comes back has just powered up.
        reset();
        lineBuf_.clear();
        return true;
    }

    void unplug()
    {
        if (pty_.master < 0)
            return;
        // The link goes first, so a client that reacts to the hang-up at once finds no device.
        if (!opt_.link.empty())
            ::unlink(opt_.link.c_str());
        ::close(pty_.master);
        pty_.master = -1;
    }

    std::string devicePath() const { return opt_.link.empty() ? pty_.slavePath : opt_.link; }
    bool plugged() const { return pty_.master >= 0; }
    int masterFd() const { return pty_.master; }

    // True while some process has the slave open; the master reports POLLHUP otherwise.
    bool listenerPresent() const
    {
        if (pty_.master < 0)
            return false;
        pollfd p{pty_.master, POLLIN, 0};
        if (::poll(&p, 1, 0) < 0)
            return false;
        return (p.revents & POLLHUP) == 0;
    }

    void readDevice()
    {
        char buf[4096];
        for (;;) {
            ssize_t n = ::read(pty_.master, buf, sizeof buf);
            if (n > 0) {
                receive(std::string_view(buf, static_cast<size_t>(n)));
                continue;
            }
            // EAGAIN: drained.  EIO: the client closed the device; a half-typed command dies
            // with it, so the next client starts on a clean line.
            if (n < 0 && errno == EIO)
                lineBuf_.clear();
            return;
        }
    }

    // ---- scripted calls

    enum class Kind { Ring, CallerId, Done };
    struct Event {
        Clock::time_point at;
        Kind kind;
        std::string data;
    };

    // With everyRing, the caller-ID block follows each RING, as mobile modems send +CLIP.
    void scheduleCall(const std::string &cidBlock, bool cidBeforeRing, bool everyRing = false)
    {
        const auto gap = milliseconds(opt_.ringMs);
        const auto half = gap / 2;
        auto t = events_.empty() ? Clock::now() : events_.back().at + gap;
        if (cidBeforeRing && !cidBlock.empty()) {
            events_.push_back({t, Kind::CallerId, cidBlock});
            t += half;
        }
        for (int i = 0; i < opt_.rings; ++i) {
            events_.push_back({t, Kind::Ring, {}});
            if ((i == 0 || everyRing) && !cidBeforeRing && !cidBlock.empty())
                events_.push_back({t + half, Kind::CallerId, cidBlock});
            if (i + 1 < opt_.rings)
                t += gap;
        }
        events_.push_back({events_.back().at, Kind::Done, {}});
    }

    int msUntilNextEvent() const
    {
        if (events_.empty())
            return -1;
        auto left = std::chrono::ceil<milliseconds>(events_.front().at - Clock::now()).count();
        return static_cast<int>(std::max<decltype(left)>(left, 0));
    }

    void runDueEvents()
    {
        const auto now = Clock::now();
        while (!events_.empty() && events_.front().at <= now) {
            Event ev = std::move(events_.front());
            events_.pop_front();
            const bool modem = opt_.profile != Profile::Dead;
            switch (ev.kind) {
            case Kind::Ring:
                if (modem)
                    sendToDevice(resultCode(Result::Ring));
                break;
            case Kind::CallerId:
                if (modem && opt_.profile != Profile::NoCid && (!opt_.requireCidEnable || cidMode_ != 0))
                    sendToDevice(ev.data);
                break;
            case Kind::Done:
                say("CALL DONE");
                break;
            }
        }
    }

    void sendToDevice(const std::string &bytes)
    {
        // Like a serial line nobody has open: what is sent meanwhile is lost.
        if (bytes.empty() || !listenerPresent())
            return;
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(pty_.master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (n < 0 && errno == EAGAIN)
                    complain("client is not reading; output dropped");
                return;
            }
        }
    }

private:
    enum class Result { Ok, Error, Ring };

    void reset()
    {
        echo_ = true;
        verbose_ = true;
        quiet_ = false;
        cidMode_ = 0;
        steValue_ = 0;
        steEnabled_ = false;
        fclass_ = "0";
        sregs_.clear();
    }

    std::string resultCode(Result r) const
    {
        if (quiet_)
            return {};
        static const std::map<Result, std::pair<const char *, const char *>> codes = {
            {Result::Ok, {"OK", "0"}}, {Result::Error, {"ERROR", "4"}}, {Result::Ring, {"RING", "2"}}};
        const auto &[word, number] = codes.at(r);
        return verbose_ ? std::string("\r\n") + word + "\r\n" : std::string(number) + "\r";
    }

    std::string infoText(const std::string &text) const
    {
        return verbose_ ? "\r\n" + text + "\r\n" : text + "\r\n";
    }

    void receive(std::string_view bytes)
    {
        std::string out;
        for (char c : bytes) {
            if (echo_ && opt_.profile != Profile::Dead)
                out += c;
            if (c == '\r' || c == '\n') {
                if (!lineBuf_.empty()) {
                    say("AT> " + lineBuf_);
                    if (opt_.profile != Profile::Dead)
                        out += answer(lineBuf_);
                    lineBuf_.clear();
                }
            } else if (c == '\b' || c == 0x7F) {
                if (!lineBuf_.empty())
                    lineBuf_.pop_back();
            } else if (lineBuf_.size() < 512) {
                lineBuf_ += c;
            }
        }
        sendToDevice(out);
    }

    // One command line: every command after "AT" in turn; the first failing one makes the
    // whole line answer ERROR, as modems do (commands before it keep their effect).
    std::string answer(const std::string &line)
    {
        if (line.size() < 2 || upper(line.substr(0, 2)) != "AT")
            return {}; // modems ignore what does not start with AT
        const std::string cmd = line.substr(2);
        std::vector<std::string> info;
        size_t i = 0;
        bool ok = true;
        while (ok && i < cmd.size()) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i])));
            if (c == ' ' || c == ';') {
                ++i;
            } else if (c == '+' || c == '#' || c == '%' || c == '-') {
                size_t end = cmd.find(';', i);
                if (end == std::string::npos)
                    end = cmd.size();
                ok = extended(cmd.substr(i, end - i), info);
                i = end;
            } else if (c == 'D') {
                i = cmd.size(); // the dial string runs to the end of the line
            } else if (c == '&') {
                const char what = i + 1 < cmd.size()
                                      ? static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i + 1])))
                                      : '\0';
                i += 2;
                while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
                    ++i;
                if (what == 'F')
                    reset();
                ok = std::string_view("FCDKWSQV").find(what) != std::string_view::npos && what != '\0';
            } else if (c == 'S') {
                ok = sRegister(cmd, ++i, info);
            } else if (std::isalpha(static_cast<unsigned char>(c))) {
                ++i;
                size_t start = i;
                while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
                    ++i;
                const int n = i > start ? std::atoi(cmd.substr(start, i - start).c_str()) : 0;
                ok = basic(c, n, info);
            } else {
                ok = false;
            }
        }
        if (!ok)
            return resultCode(Result::Error);
        std::string out;
        for (const auto &text : info)
            out += infoText(text);
        return out + resultCode(Result::Ok);
    }

    bool basic(char letter, int n, std::vector<std::string> &info)
    {
        switch (letter) {
        case 'E': echo_ = n != 0; return n <= 1;
        case 'V': verbose_ = n != 0; return n <= 1;
        case 'Q': quiet_ = n != 0; return n <= 1;
        case 'Z': reset(); return true;
        case 'I':
            if (n == 0)
                info.push_back("56000");
            else if (n == 3)
                info.push_back(opt_.profile == Profile::Data ? "FakeModem Data 1.0" : "FakeModem Voice 1.0");
            else
                return false;
            return true;
        case 'A': case 'H': case 'L': case 'M': case 'X': case 'T': case 'P':
            return true;
        default:
            return false;
        }
    }

    bool sRegister(const std::string &cmd, size_t &i, std::vector<std::string> &info)
    {
        size_t start = i;
        while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
            ++i;
        if (i == start || i >= cmd.size())
            return false;
        const int reg = std::atoi(cmd.substr(start, i - start).c_str());
        if (cmd[i] == '?') {
            ++i;
            char buf[8];
            std::snprintf(buf, sizeof buf, "%03d", sregs_[reg] % 1000);
            info.push_back(buf);
            return true;
        }
        if (cmd[i] != '=')
            return false;
        start = ++i;
        while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
            ++i;
        sregs_[reg] = i > start ? std::atoi(cmd.substr(start, i - start).c_str()) % 256 : 0;
        return true;
    }

    bool extended(const std::string &token, std::vector<std::string> &info)
    {
        size_t i = 1;
        while (i < token.size() && (std::isalnum(static_cast<unsigned char>(token[i])) || token[i] == '_'))
            ++i;
        const std::string name = upper(token.substr(0, i));
        const std::string suffix = std::string(trim(token.substr(i)));

        if (name == "+FCLASS")
            return fclass(suffix, info);
        if (name == "+GMM" || name == "+GMI" || name == "+GMR") {
            if (!suffix.empty())
                return false;
            info.push_back(name == "+GMM" ? "FAKEMODEM-V92" : name == "+GMI" ? "FAKEMODEM" : "1.0");
            return true;
        }
        if (name == "+VCID" || name == "#CID" || name == "-STE" || name == "%CCID" || name == "+CID" || name == "+CLIP")
            return callerIdCommand(name, suffix, info);
        return false;
    }

    std::vector<std::string> classes() const
    {
        if (opt_.profile == Profile::Data)
            return {"0", "1"};
        return {"0", "1", "1.0", "8"};
    }

    bool fclass(const std::string &suffix, std::vector<std::string> &info)
    {
        const auto list = classes();
        if (suffix == "=?") {
            std::string joined;
            for (const auto &c : list)
                joined += (joined.empty() ? "" : ",") + c;
            info.push_back(joined);
            return true;
        }
        if (suffix == "?") {
            info.push_back(fclass_);
            return true;
        }
        if (suffix.size() > 1 && suffix[0] == '=') {
            const std::string value(trim(std::string_view(suffix).substr(1)));
            if (std::find(list.begin(), list.end(), value) == list.end())
                return false;
            fclass_ = value;
            return true;
        }
        return false;
    }

    bool callerIdCommand(const std::string &name, const std::string &suffix, std::vector<std::string> &info)
    {
        if (opt_.profile == Profile::NoCid)
            return false;
        const bool chosen = name == opt_.cidCommand;
        // Some modems only accept +VCID once a vendor command has switched the feature on.
        const bool unlocked = opt_.cidCommand == "-STE" && name == "+VCID" && steEnabled_;
        if (!chosen && !unlocked)
            return false;
        int &value = name == "-STE" ? steValue_ : cidMode_;
        if (suffix == "=?") {
            info.push_back("(0-2)");
            return true;
        }
        if (suffix == "?") {
            info.push_back(std::to_string(value));
            return true;
        }
        if (suffix.size() == 2 && suffix[0] == '=' && suffix[1] >= '0' && suffix[1] <= '2') {
            value = suffix[1] - '0';
            if (name == "-STE")
                steEnabled_ = value != 0;
            return true;
        }
        return false;
    }

    Options opt_;
    Pty pty_;
    std::string lineBuf_;
    std::deque<Event> events_;

    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    int cidMode_ = 0;
    int steValue_ = 0;
    bool steEnabled_ = false;
    std::string fclass_ = "0";
    std::map<int, int> sregs_;
};

// ---------------------------------------------------------------------------------------------
// Commands from the test driver

// Returns false when the program should end.
bool runCommand(FakeModem &modem, const Options &opt, std::string_view line)
{
    line = trim(line);
    if (line.empty())
        return true;
    const size_t sp = line.find_first_of(" \t");
    const std::string verb = upper(line.substr(0, sp));
    const std::string_view args = sp == std::string_view::npos ? std::string_view{} : trim(line.substr(sp));
    const size_t sp2 = args.find_first_of(" \t");
    const std::string first(args.substr(0, sp2));
    const std::string rest(sp2 == std::string_view::npos ? std::string_view{} : trim(args.substr(sp2)));

    auto needNumber = [&]() {
        if (first.empty())
            complain(upper(verb) + " needs a number");
        return !first.empty();
    };

    if (verb == "QUIT")
        return false;
    if (verb == "CALL" || verb == "BEFORE-RING") {
        if (needNumber())
            modem.scheduleCall(formattedBlock(opt, {"NMBR", first, rest, false}), verb == "BEFORE-RING");
    } else if (verb == "PRIVATE") {
        modem.scheduleCall(formattedBlock(opt, {"NMBR", "P", std::string(args), false}), false);
    } else if (verb == "PRIVATEWORD") {
        modem.scheduleCall(formattedBlock(opt, {"NMBR", "PRIVATE", std::string(args), false}), false);
    } else if (verb == "OUTOFAREA") {
        modem.scheduleCall(formattedBlock(opt, {"NMBR", "O", std::string(args), false}), false);
    } else if (verb == "MESG") {
        if (needNumber())
            modem.scheduleCall(formattedBlock(opt, {"DDN_NMBR", first, rest, true}), false);
    } else if (verb == "HEX") {
        if (needNumber())
            modem.scheduleCall(mdmfBlock(opt, first, rest), false);
    } else if (verb == "HEXWRAP") {
        if (needNumber())
            modem.scheduleCall(wrappedMdmfBlock(opt, first, rest), false);
    } else if (verb == "CLIP") {
        if (needNumber())
            modem.scheduleCall(clipBlock(first, rest), false, true);
    } else if (verb == "SDMF") {
        if (needNumber())
            modem.scheduleCall(sdmfBlock(opt, first), false);
    } else if (verb == "RING") {
        modem.scheduleCall({}, false);
    } else if (verb == "SEND") {
        modem.sendToDevice(std::string(args) + "\r\n");
    } else if (verb == "UNPLUG") {
        modem.unplug();
        say("UNPLUGGED");
    } else if (verb == "PLUG") {
        if (modem.plug())
            say("PLUGGED " + modem.devicePath());
    } else {
        complain("unknown command: " + std::string(line));
    }
    return true;
}

[[noreturn]] void usage(int code)
{
    std::fprintf(code ? stderr : stdout,
                 "usage: fakemodem [--profile voice|nocid|data|dead] [--link PATH] [--ring-ms N]\n"
                 "                 [--rings N] [--style spaced|compact] [--cid-command CMD]\n"
                 "                 [--datetime MMDDHHMM] [--require-cid-enable]\n"
                 "\n"
                 "Commands on standard input, one a line:\n"
                 "  call NUMBER [NAME...]          formatted caller ID after the first RING\n"
                 "  before-ring NUMBER [NAME...]   formatted caller ID before the first RING\n"
                 "  private [NAME...]              number withheld (NMBR = P)\n"
                 "  privateword [NAME...]          number withheld (NMBR = PRIVATE)\n"
                 "  outofarea [NAME...]            number not available (NMBR = O)\n"
                 "  mesg NUMBER [NAME...]          DDN_NMBR with an unknown MESG line\n"
                 "  hex NUMBER [NAME...]           raw multiple data message, one hex line\n"
                 "  hexwrap NUMBER [NAME...]       the same wrapped over two lines\n"
                 "  sdmf NUMBER                    raw single data message\n"
                 "  clip NUMBER [NAME...]          mobile modem: +CLIP after every RING\n"
                 "  ring                           a call without caller ID\n"
                 "  send TEXT                      TEXT and CR LF to the device\n"
                 "  unplug | plug | quit\n");
    std::exit(code);
}

Options parseOptions(int argc, char **argv)
{
    Options opt;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            hasValue = true;
        }
        auto next = [&]() -> std::string {
            if (hasValue)
                return value;
            if (i + 1 >= argc) {
                complain(arg + " needs a value");
                usage(2);
            }
            return argv[++i];
        };
        auto number = [&](int min) {
            const std::string v = next();
            if (!allDigits(v) || v.size() > 7 || std::atoi(v.c_str()) < min) {
                complain(arg + ": not a number of at least " + std::to_string(min) + ": " + v);
                usage(2);
            }
            return std::atoi(v.c_str());
        };

        if (arg == "--help" || arg == "-h") {
            usage(0);
        } else if (arg == "--profile") {
            const std::string v = next();
            static const std::map<std::string, Profile> profiles = {
                {"voice", Profile::Voice}, {"nocid", Profile::NoCid}, {"data", Profile::Data}, {"dead", Profile::Dead}};
            auto it = profiles.find(v);
            if (it == profiles.end()) {
                complain("unknown profile: " + v);
                usage(2);
            }
            opt.profile = it->second;
        } else if (arg == "--link") {
            opt.link = next();
        } else if (arg == "--ring-ms") {
            opt.ringMs = number(1);
        } else if (arg == "--rings") {
            opt.rings = number(1);
        } else if (arg == "--style") {
            const std::string v = next();
            if (v != "spaced" && v != "compact") {
                complain("unknown style: " + v);
                usage(2);
            }
            opt.compact = v == "compact";
        } else if (arg == "--cid-command") {
            opt.cidCommand = upper(next());
            if (opt.cidCommand.rfind("AT", 0) == 0)
                opt.cidCommand.erase(0, 2);
            static const std::vector<std::string> known = {"+VCID", "#CID", "-STE", "%CCID", "+CID", "+CLIP"};
            if (std::find(known.begin(), known.end(), opt.cidCommand) == known.end()) {
                complain("unknown caller-ID command: " + opt.cidCommand);
                usage(2);
            }
        } else if (arg == "--datetime") {
            opt.dateTime = next();
            if (opt.dateTime.size() != 8 || !allDigits(opt.dateTime)) {
                complain("--datetime wants MMDDHHMM");
                usage(2);
            }
        } else if (arg == "--require-cid-enable") {
            opt.requireCidEnable = true;
        } else {
            complain("unknown option: " + arg);
            usage(2);
        }
    }
    return opt;
}

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int sig)
{
    stopSignal = sig;
}

} // namespace

int main(int argc, char **argv)
{
    const Options opt = parseOptions(argc, argv);

    std::signal(SIGPIPE, SIG_IGN);
    // Stop signals stay blocked except inside ppoll, so one arriving between two polls is not lost.
    sigset_t stopSet, waitMask;
    sigemptyset(&stopSet);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&stopSet, sig);
        struct sigaction sa{};
        sa.sa_handler = onStopSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(sig, &sa, nullptr);
    }
    sigprocmask(SIG_BLOCK, &stopSet, &waitMask);

    FakeModem modem(opt);
    if (!modem.plug())
        return 1;
    say(modem.devicePath());
    say("READY");

    std::string input;
    bool running = true;
    while (running && !stopSignal) {
        // Without a client the master reports a hang-up on every poll; it is then looked at
        // again shortly instead of being polled, which would spin.
        const bool listening = modem.listenerPresent();
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {modem.masterFd(), POLLIN, 0}};
        const nfds_t count = listening ? 2 : 1;
        int timeout = modem.msUntilNextEvent();
        if (!listening && modem.plugged())
            timeout = timeout < 0 ? 50 : std::min(timeout, 50);

        timespec ts{};
        timespec *tsp = nullptr;
        if (timeout >= 0) {
            ts.tv_sec = timeout / 1000;
            ts.tv_nsec = static_cast<long>(timeout % 1000) * 1000000L;
            tsp = &ts;
        }
        const int ready = ::ppoll(fds, count, tsp, &waitMask);
        if (ready < 0 && errno != EINTR) {
            complain(std::string("poll: ") + std::strerror(errno));
            return 1;
        }

        if (ready > 0 && listening && (fds[1].revents & POLLIN))
            modem.readDevice();

        if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[4096];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                if (n == 0 || errno != EINTR)
                    running = false;
            } else {
                input.append(buf, static_cast<size_t>(n));
                size_t nl;
                while (running && (nl = input.find('\n')) != std::string::npos) {
                    const std::string line = input.substr(0, nl);
                    input.erase(0, nl + 1);
                    running = runCommand(modem, opt, line);
                }
            }
        }

        modem.runDueEvents();
    }

    modem.unplug();
    return 0;
}
