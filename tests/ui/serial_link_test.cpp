// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt serial adapter against a real pseudo-terminal: packets are handed over only once the
// receive threshold is reached, frames reach the line, stale input is discarded, a peer that
// vanishes closes the port instead of leaving it spinning, and the driver's low-latency mode is
// asked for on opening and its flags put back on closing only when they were changed.
#include "serial_link.h"

#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace zt;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            termios t{};
            tcgetattr(slave, &t);
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
            path = name;
        }
    }
    ~Pty() {
        closeMaster();
        closeSlave();
    }
    void closeMaster() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void closeSlave() {
        if (slave >= 0)
            ::close(slave);
        slave = -1;
    }
    bool send(const Bytes& bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    Bytes receive(std::size_t n) const {
        Bytes out;
        for (int i = 0; i < 200 && out.size() < n; ++i) {
            std::uint8_t buf[256];
            const ssize_t got = ::read(master, buf, sizeof buf);
            if (got > 0)
                out.insert(out.end(), buf, buf + got);
            else
                QTest::qWait(5);
        }
        return out;
    }
};

// A serial driver's flags behind the adapter's low-latency request: it answers or refuses as the
// case says and records every change asked for, with the device the descriptor was open on then.
struct FakeDriver {
    static inline bool hasSettings = true; // false: TIOCGSERIAL fails, as on a pseudo-terminal
    static inline bool acceptsSet = true;  // false: TIOCSSERIAL fails
    static inline bool honoursSet = true;  // false: the set succeeds but the flags stay as they were
    static inline int flags = 0;
    struct Set {
        std::string device;
        int flags;
        bool operator==(const Set&) const = default;
    };
    static inline std::vector<Set> sets;

    static std::string Device(int fd) {
        struct stat st {};
        if (fstat(fd, &st) != 0)
            return "(closed)";
        const char* name = ttyname(fd);
        return name ? name : "(not a terminal)";
    }
    static bool Get(int, int& out) {
        out = flags;
        return hasSettings;
    }
    static bool SetFlags(int fd, int f) {
        sets.push_back({Device(fd), f});
        if (acceptsSet && honoursSet)
            flags = f;
        return acceptsSet;
    }
};

// Opens the adapter on a fresh pseudo-terminal and runs one request and reply over it.
void ExchangeOnce(SerialLinkPort& port, Pty& pty, std::vector<Bytes>& packets) {
    QVERIFY(port.open(pty.path));
    port.setReceiveThreshold(3);
    const std::uint8_t frame[] = {'R', 0x00, 0x10, 0x10};
    port.write(frame);
    QCOMPARE(pty.receive(4), (Bytes{'R', 0x00, 0x10, 0x10}));
    QVERIFY(pty.send({'Z', 'T', 0x06}));
    QTRY_COMPARE(packets.size(), std::size_t(1));
}

} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT
  private slots:
    void packetWaitsForTheThreshold() {
        Pty pty;
        SerialLinkPort port;
        std::vector<Bytes> packets;
        port.setReceiver([&](ByteSpan b) { packets.emplace_back(b.begin(), b.end()); });
        QVERIFY(port.open(pty.path));
        port.setReceiveThreshold(5);
        QVERIFY(pty.send({1, 2, 3}));
        QTest::qWait(60);
        QVERIFY(packets.empty());
        QVERIFY(pty.send({4, 5, 6}));
        QTRY_COMPARE(packets.size(), std::size_t(1));
        QCOMPARE(packets[0], (Bytes{1, 2, 3, 4, 5, 6}));
    }

    void writesReachTheLineAndDiscardDropsStaleInput() {
        Pty pty;
        SerialLinkPort port;
        std::vector<Bytes> packets;
        port.setReceiver([&](ByteSpan b) { packets.emplace_back(b.begin(), b.end()); });
        QVERIFY(port.open(pty.path));
        port.setReceiveThreshold(3);
        QVERIFY(pty.send({0xEE, 0xEE})); // half of a late reply
        QTest::qWait(60);
        port.discardInput();
        const std::uint8_t frame[] = {'R', 0x3F, 0x20, 0x10};
        port.write(frame);
        QCOMPARE(pty.receive(4), (Bytes{'R', 0x3F, 0x20, 0x10}));
        QVERIFY(pty.send({'Z', 'T', 0x06}));
        QTRY_COMPARE(packets.size(), std::size_t(1));
        QCOMPARE(packets[0], (Bytes{'Z', 'T', 0x06}));
    }

    void vanishedPeerClosesThePort() {
        Pty pty;
        SerialLinkPort port;
        int deliveries = 0;
        port.setReceiver([&](ByteSpan) { ++deliveries; });
        QVERIFY(port.open(pty.path));
        pty.closeSlave(); // only the adapter holds the device now
        pty.closeMaster();
        QTRY_VERIFY(!port.isOpen());
        QVERIFY(!port.lastError().isEmpty());
        const std::uint8_t frame[] = {'E', 'N', 'D'};
        port.write(frame); // harmless on a closed port
        port.close();
        QCOMPARE(deliveries, 0);
        // The same adapter opens again on a new line.
        Pty other;
        QVERIFY(port.open(other.path));
        QVERIFY(port.isOpen());
    }

    void pseudoTerminalHasNoLowLatencyAndStillExchanges() {
        // The system's own calls: a pseudo-terminal has no serial settings, so the request fails
        // and nothing is changed or restored.
        static int gets = 0;
        static int sets = 0;
        const SerialFlagsCalls counted{[](int fd, int& f) {
                                           ++gets;
                                           return SystemSerialFlags().get(fd, f);
                                       },
                                       [](int fd, int f) {
                                           ++sets;
                                           return SystemSerialFlags().set(fd, f);
                                       }};
        Pty pty;
        SerialLinkPort port(nullptr, counted);
        std::vector<Bytes> packets;
        port.setReceiver([&](ByteSpan b) { packets.emplace_back(b.begin(), b.end()); });
        ExchangeOnce(port, pty, packets);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(gets, 1);
        QVERIFY(!port.lowLatency());
        port.close();
        QCOMPARE(sets, 0);
        QCOMPARE(packets[0], (Bytes{'Z', 'T', 0x06}));
    }

    void lowLatencyRequestAndRestore_data() {
        QTest::addColumn<bool>("hasSettings");
        QTest::addColumn<bool>("acceptsSet");
        QTest::addColumn<bool>("honoursSet");
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("requested");
        QTest::addColumn<bool>("restored");
        constexpr int other = 0x0040 | 0x0800; // flags of the driver's own that must survive
        QTest::newRow("no serial settings") << false << true << true << other << false << false << false;
        QTest::newRow("request refused") << true << false << true << other << false << true << false;
        QTest::newRow("request granted") << true << true << true << other << true << true << true;
        QTest::newRow("request taken, flag ignored")
            << true << true << false << other << false << true << true;
        QTest::newRow("already on") << true << true << true << (other | kAsyncLowLatency) << true << false
                                    << false;
    }

    void lowLatencyRequestAndRestore() {
        QFETCH(bool, hasSettings);
        QFETCH(bool, acceptsSet);
        QFETCH(bool, honoursSet);
        QFETCH(int, before);
        QFETCH(bool, on);
        QFETCH(bool, requested);
        QFETCH(bool, restored);
        FakeDriver::hasSettings = hasSettings;
        FakeDriver::acceptsSet = acceptsSet;
        FakeDriver::honoursSet = honoursSet;
        FakeDriver::flags = before;
        FakeDriver::sets.clear();

        Pty pty;
        SerialLinkPort port(nullptr, SerialFlagsCalls{FakeDriver::Get, FakeDriver::SetFlags});
        std::vector<Bytes> packets;
        port.setReceiver([&](ByteSpan b) { packets.emplace_back(b.begin(), b.end()); });
        ExchangeOnce(port, pty, packets);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(port.lowLatency(), on);
        std::vector<FakeDriver::Set> expected;
        if (requested)
            expected.push_back({pty.path, before | kAsyncLowLatency});
        QCOMPARE(FakeDriver::sets, expected);

        // Closing puts the earlier flags back on the port's own descriptor, while it is still open;
        // a second close has nothing left to restore.
        port.close();
        port.close();
        if (restored)
            expected.push_back({pty.path, before});
        QCOMPARE(FakeDriver::sets, expected);
        if (acceptsSet && honoursSet)
            QCOMPARE(FakeDriver::flags, before);
    }

    void missingDeviceFailsToOpen() {
        SerialLinkPort port;
        QVERIFY(!port.open("/nonexistent/ztprog-no-such-port"));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.lastError().isEmpty());
    }

    void replyTimerFiresOnceUnlessStopped() {
        SerialLinkTimer timer;
        int fired = 0;
        timer.setHandler([&] { ++fired; });
        timer.start(10);
        timer.stop();
        QTest::qWait(40);
        QCOMPARE(fired, 0);
        timer.start(10);
        QTRY_COMPARE(fired, 1);
        QTest::qWait(40);
        QCOMPARE(fired, 1);
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "serial_link_test.moc"
