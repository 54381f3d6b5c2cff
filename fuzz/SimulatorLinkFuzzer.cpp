// Feeds arbitrary transfers to the simulated camera from the host's side of both links: the
// camera's block and CDB decoders, its command texts, its parameter blocks and the data phases of
// captures and the disk must refuse what they do not understand without reading or writing
// outside the buffers they were given.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "camsim/SimCamera.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// One exchange over whichever link the camera serves.
class Host {
public:
    explicit Host(camsim::SimCamera& camera, bool scsi) : camera_(camera), scsi_(scsi) {}

    void Text(const std::string& text)
    {
        Bytes data(text.begin(), text.end());
        data.push_back('\r');
        if (scsi_) {
            const Bytes cdb{0x0D,
                            0x00,
                            0x00,
                            static_cast<std::uint8_t>(data.size() >> 8),
                            static_cast<std::uint8_t>(data.size()),
                            0x00};
            Scsi(cdb, false, data);
        } else {
            Bytes transfer{0x0D, 0x00, 0x00, static_cast<std::uint8_t>(data.size()), 0, 0, 0, 0};
            transfer.insert(transfer.end(), data.begin(), data.end());
            camera_.UsbBulkOut(transfer.data(), transfer.size());
        }
        // Poll and read the reply as the host does.
        if (scsi_) {
            Bytes ready(6);
            Scsi({0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}, true, ready);
            Bytes reply(1024);
            Scsi({0x0E, 0x00, 0x00, 0x04, 0x00, 0x00}, true, reply);
        } else {
            const Bytes ready{0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00};
            const Bytes read{0x0E, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};
            Bytes answer(1024);
            camera_.UsbBulkOut(ready.data(), ready.size());
            camera_.UsbBulkIn(answer.data(), 6);
            camera_.UsbBulkOut(read.data(), read.size());
            camera_.UsbBulkIn(answer.data(), answer.size());
        }
    }

    // A line read (selector 0) or a read of image data, of `units` × 512 bytes.
    void Read(std::uint8_t selector, std::size_t units, std::uint8_t chunk)
    {
        Bytes data(units * 512);
        if (scsi_) {
            const Bytes cdb = selector == 0 ? Bytes{0x28, 0x00, 0x80,
                                                    0x00, 0x00, 0x00,
                                                    0x00, 0x00, static_cast<std::uint8_t>(units),
                                                    0x00}
                                            : Bytes{0x28, 0x00,  0x80, 0x00, selector,
                                                    0x00, chunk, 0x00, 0x80, 0x00};
            Scsi(cdb, true, data);
        } else {
            const Bytes block{0x28,     0x80, 0x00, static_cast<std::uint8_t>(units),
                              selector, 0x00, 0x00, selector == 0 ? std::uint8_t{0} : chunk};
            camera_.UsbBulkOut(block.data(), block.size());
            camera_.UsbBulkIn(data.data(), data.size());
        }
    }

private:
    void Scsi(const Bytes& cdb, bool dataIn, Bytes& data)
    {
        std::size_t transferred = 0;
        camera_.ScsiCommand(cdb.data(), cdb.size(), dataIn, data.data(), data.size(), transferred);
    }

    camsim::SimCamera& camera_;
    bool scsi_;
};

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", value & 0xFFFF);
    return text;
}

// "H0n", the body padded with blanks to 128 characters, and its checksum.
std::string Block(unsigned number, std::string body)
{
    body.resize(128, ' ');
    std::string text = "H0" + std::to_string(number % 4) + body;
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%.2X", sum & 0xFF);
    return text + checksum;
}

// A capture set-up of the Model Cedar whose fields come from `p`: sound in layout, anything in
// value, so that the checks behind the framing are reached.
void SetUpCapture(Host& host, const std::uint8_t* p, std::size_t size)
{
    std::uint8_t v[12] = {};
    std::copy_n(p, std::min(size, sizeof v), v);
    static constexpr unsigned kFormats[] = {0x6C, 0x3C, 0x21, 0x22, 0x23, 0x11, 0x12, 0x13, 0x44};
    const unsigned step = v[1] % 14;
    const std::string h00 =
        std::string("0000 ") + ((v[0] & 1) ? 'D' : '0') + ((v[0] & 2) ? 'P' : '0') +
        "00 0000  1234 5678 0006  " + Hex4(1 + v[2] * 40u) + " " + Hex4(1 + v[3] * 50u) +
        " 0000  " + Hex4(v[4] * 30u) + " " + Hex4(v[5] * 40u) + " " +
        ((v[0] & 2) ? Hex4(v[6] * 20u) : std::string("03E8")) + "  " + Hex4(step) + " " +
        Hex4(step) + " " + Hex4(kFormats[v[7] % 9]) + "  " + Hex4(v[8] + 1u) + " 0002 0000  " +
        Hex4(260u + v[9] * 13u) + " " + Hex4(260u + v[10] * 13u) + " 0104  0005 1E03 501C  ";
    const std::string h01 = "8E6A C2DC E6FF  0000 0000 " + Hex4(v[11] & 0x37) +
                            "  0000 0000 0000  0000 0000 0000  Fuzz";
    const std::string notes(v[11], 'n');
    host.Text("CFR00");
    host.Text("CLD");
    host.Text(Block(0, h00));
    host.Text(Block(1, h01));
    host.Text(Block(2, static_cast<char>(notes.size()) + notes.substr(0, 127)));
    host.Text(Block(3, notes.size() > 127 ? notes.substr(127) : std::string()));
    host.Text("CLB");
    if (v[0] & 4)
        host.Text("EE" + Hex4(v[8]));
    host.Text("CLP");
    host.Text("CLT");
    host.Text("CS");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    camsim::SimConfig config;
    config.speed = 0;
    const bool scsi = (data[0] & 1) != 0;
    config.link = scsi ? camsim::SimLink::Scsi : camsim::SimLink::Usb;
    camsim::SimCamera camera(config);
    Host host(camera, scsi);

    // Each step: an operation byte, a length byte, then that many bytes of payload.
    std::size_t at = 1;
    std::vector<std::uint8_t> buffer;
    while (at + 2 <= size) {
        const std::uint8_t op = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const std::uint8_t* payload = data + at + 2;
        at += 2 + length;
        const std::size_t room = (op >> 3) * 128u;  // a read of up to 4 KiB
        buffer.assign(room, 0);
        std::size_t transferred = 0;
        switch (op & 7) {
        case 0: camera.UsbBulkOut(payload, length); break;
        case 1: camera.UsbBulkIn(buffer.data(), buffer.size()); break;
        case 2:
            camera.ScsiCommand(payload, std::min<std::size_t>(length, 16), true, buffer.data(),
                               buffer.size(), transferred);
            break;
        case 3: {
            std::vector<std::uint8_t> out(payload, payload + length);
            camera.ScsiCommand(payload, std::min<std::size_t>(length, 10), false, out.data(),
                               out.size(), transferred);
            break;
        }
        case 4: host.Text(std::string(payload, payload + length)); break;
        case 5: host.Text(Block(op >> 3, std::string(payload, payload + length))); break;
        case 6: SetUpCapture(host, payload, length); break;
        default:
            host.Read(length > 0 ? payload[0] : 0, std::max<std::size_t>(op >> 3, 1),
                      length > 1 ? payload[1] : 0);
            break;
        }
    }
    return 0;
}
