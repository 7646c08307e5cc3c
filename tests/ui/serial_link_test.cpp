// The Qt serial adapter against a real pseudo-terminal: packets are handed over only once the
// receive threshold is reached, frames reach the line, stale input is discarded, and a peer that
// vanishes closes the port instead of leaving it spinning.
#include "serial_link.h"

#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

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
