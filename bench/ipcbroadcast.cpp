// bench_ipcbroadcast: one call broadcast by the IPC server to many clients on loopback.
//
// Usage: bench_ipcbroadcast [CLIENTS...]       (default: 1000 5000)
//
// For each client count: connects that many clients to a server on 127.0.0.1, then
// broadcasts a number of calls one at a time and reports, per call, how long the
// server's Broadcast() took and how long it took until the last client had the whole
// line; and the server's resident memory per connection. The server runs on the main
// thread's event loop, as in the program; the clients are plain sockets read by a
// second thread with epoll, so reading them costs the server nothing.

#include "app/datadir.h"
#include "ipc/ipcprotocol.h"
#include "ipc/ipcserver.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 25;
constexpr char Greeting[] = "Relaypost IPC ready\r\n";

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool raiseDescriptorLimit(rlim_t wanted)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur >= wanted)
        return true;
    limit.rlim_cur = std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur >= wanted;
}

void readExactly(int fd, size_t size)
{
    char buffer[256];
    while (size > 0) {
        const ssize_t count = recv(fd, buffer, std::min(size, sizeof buffer), 0);
        if (count <= 0)
            return;
        size -= size_t(count);
    }
}

// Pumps the server's event loop until the condition holds.
template<typename Condition>
void pumpUntil(Condition condition)
{
    while (!condition())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

struct Result
{
    double connectSeconds = 0;
    double kibPerConnection = 0;
    std::vector<double> broadcastMs;
    std::vector<double> lastClientMs;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool run(IpcServer &server, int clients, Result &result)
{
    const long memoryBefore = residentKiB();
    std::vector<int> fds;
    fds.reserve(size_t(clients));
    std::atomic<bool> connected{false};
    std::atomic<bool> failed{false};

    // The listen backlog is small (5, as the protocol's servers have it): clients come in
    // batches, each waiting for its greeting, so no connection attempt is ever dropped.
    std::thread connector([&] {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.serverPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        constexpr int Batch = 4;
        for (int first = 0; first < clients && !failed; first += Batch) {
            const int last = std::min(clients, first + Batch);
            for (int i = first; i < last; ++i) {
                const int fd = socket(AF_INET, SOCK_STREAM, 0);
                if (fd < 0 || connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
                    std::perror("client socket");
                    failed = true;
                    break;
                }
                fds.push_back(fd);
            }
            for (int i = first; i < int(fds.size()); ++i)
                readExactly(fds[size_t(i)], sizeof Greeting - 1);
        }
        connected = true;
    });
    const auto connectStart = Clock::now();
    pumpUntil([&] { return connected.load(); });
    connector.join();
    if (failed)
        return false;
    pumpUntil([&] { return server.ClientCount() == clients; });
    result.connectSeconds = std::chrono::duration<double>(Clock::now() - connectStart).count();
    result.kibPerConnection = double(residentKiB() - memoryBefore) / clients;

    const int poller = epoll_create1(0);
    for (int i = 0; i < clients; ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = uint32_t(i);
        epoll_ctl(poller, EPOLL_CTL_ADD, fds[size_t(i)], &event);
    }

    for (int round = 0; round < Rounds; ++round) {
        const QByteArray line = CallerLine(QStringLiteral("555-123-%1").arg(1000 + round), QStringLiteral("JOHN DOE"));
        std::vector<int> missing(size_t(clients), int(line.size()));
        int waiting = clients;
        Clock::time_point lastArrival;
        std::thread reader([&] {
            std::vector<epoll_event> events(static_cast<size_t>(clients));
            char buffer[256];
            while (waiting > 0) {
                const int ready = epoll_wait(poller, events.data(), clients, 5000);
                if (ready <= 0)
                    break;
                for (int e = 0; e < ready; ++e) {
                    const uint32_t i = events[size_t(e)].data.u32;
                    const ssize_t count = recv(fds[i], buffer, sizeof buffer, 0);
                    if (count <= 0)
                        continue;
                    const bool complete = missing[i] <= 0;
                    missing[i] -= int(count);
                    if (!complete && missing[i] <= 0)
                        --waiting;
                }
            }
            lastArrival = Clock::now();
        });
        const auto start = Clock::now();
        server.Broadcast(line);
        const auto sent = Clock::now();
        reader.join();
        if (waiting > 0) {
            std::fprintf(stderr, "%d clients did not get call %d\n", waiting, round);
            return false;
        }
        result.broadcastMs.push_back(std::chrono::duration<double, std::milli>(sent - start).count());
        result.lastClientMs.push_back(std::chrono::duration<double, std::milli>(lastArrival - start).count());
        QCoreApplication::processEvents();
    }

    close(poller);
    for (int fd : fds)
        close(fd);
    pumpUntil([&] { return server.ClientCount() == 0; });
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dataDir;
    SetDataDirForTesting(dataDir.path() + QLatin1Char('/'));

    std::vector<int> counts;
    for (const QString &argument : QCoreApplication::arguments().mid(1))
        counts.push_back(argument.toInt());
    if (counts.empty())
        counts = {1000, 5000};

    // As Listen() sets it up, on a port the system picks.
    IpcServer server;
    server.setListenBacklogSize(5);
    if (!server.listen(QHostAddress::AnyIPv4, 0)) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }

    std::printf("%8s %10s %14s %16s %16s %16s\n", "clients", "connect s", "KiB/connection", "Broadcast() ms",
                "last client ms", "last client max");
    for (int clients : counts) {
        // A client and its server connection: two descriptors each, plus some to spare.
        if (!raiseDescriptorLimit(rlim_t(2 * clients + 64))) {
            std::printf("%8d  skipped: the descriptor limit cannot be raised to %d\n", clients, 2 * clients + 64);
            continue;
        }
        Result result;
        if (!run(server, clients, result))
            return 1;
        std::printf("%8d %10.2f %14.1f %16.2f %16.2f %16.2f\n", clients, result.connectSeconds, result.kibPerConnection,
                    median(result.broadcastMs), median(result.lastClientMs),
                    *std::max_element(result.lastClientMs.begin(), result.lastClientMs.end()));
        std::fflush(stdout);
    }
    return 0;
}
