// Writes the seed corpora under fuzz/corpus/<target>/ from the tests' own
// builders, the simulated camera's replies and the program's own writers.
// Run by hand after a format changes: make_fuzz_seeds <fuzz/corpus>.

#include "support/PatchTestBytes.h"

#include "comm/Util.h"
#include "package/BsDiff.h"
#include "package/LZMA.h"
#include "support/PackageBuilder.h"
#include "support/PictureBytes.h"
#include "sim/SimBackend.h"
#include "sim/SimCamera.h"
#include "upgrade/UvcUpgradeTask.h"
#include "platform/EmptyBackend.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UvcDevices.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

namespace vesk {
namespace pc {

// The engine's own patch list writer, reached as the tests reach it.
class UvcPatchUpgradeProbe
{
public:
    static bool patchList(const QString& image, const QString& package, const QString& out)
    {
        static EmptyBackend backend;
        static UvcDevices registry(backend);
        UvcUpgradeTask engine(QStringLiteral("seeds"), UvcPatchUpgrade::UvcTaskUpgrade, registry);
        return engine.bspatchListGenerate(image, package, out, {uint32_t(QFileInfo(image).size())}, 0);
    }
};

} // namespace pc
} // namespace vesk

using namespace vesk::pc;

namespace {

QString g_root;

void seed(const char* target, const char* name, const QByteArray& bytes)
{
    const QString dir = g_root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    pkgtest::writeFile(dir + QLatin1Char('/') + QLatin1String(name), bytes);
}

QByteArray u32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray camera()
{
    return pkgtest::cameraPackage({{0, QByteArray(300, 'b')}, {10, QByteArray(200, 's')}});
}

QByteArray firmware()
{
    return pkgtest::package(pkgtest::Identity(), {{1, camera()}, {2, QByteArray(500, 'x')}});
}

// Frames the camera answers on the message selector, its status block and
// its descriptors.
void simReplies()
{
    SimBackend backend;
    SimCameraModel model;
    model.statusBlock = QByteArray::fromHex("0102000301000a00140001000200120300000500");
    model.statusBlock.resize(60);
    backend.plug(model);
    const QSharedPointer<CameraHandle> handle = backend.openDevice(model.usb.locationId);
    handle->openControlInterface();
    ProtocolMsg msg;
    int n = 0;
    for (uint16_t command : {0x0101, 0x0102, 0x0201, 0x0A05}) {
        ProtocolMsg::FrmPacket frame;
        frame.setCommand(command);
        frame.setPayloadLength(4);
        frame.setSequence(msg.nextSequence());
        msg.frmHeaderProcessForSend(frame);
        QByteArray block = ProtocolMsg::wireBlock(frame);
        handle->controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, model.extensionUnitId, 2,
                               reinterpret_cast<uint8_t*>(block.data()), block.size());
        QByteArray reply(60, '\0');
        handle->controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, model.extensionUnitId, 2,
                               reinterpret_cast<uint8_t*>(reply.data()), reply.size());
        seed("protocolmsg", qPrintable(QStringLiteral("reply-%1").arg(n++)), reply);
    }
    seed("protocolmsg", "magic", QByteArray("010203.VK_upgrade", 18).leftJustified(60, '\0'));
    QByteArray status(60, '\0');
    handle->controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, model.extensionUnitId, 6,
                           reinterpret_cast<uint8_t*>(status.data()), status.size());
    seed("camerastatus", "sim-status", status);
    seed("camerastatus", "block", model.statusBlock);
    seed("vcunits", "sim-orla", handle->controlDescriptors());
}

// A picture of 100 bytes as the camera sends it: the information reply,
// then two data replies (their CRCs are the harness's to make), then a
// status block and a preset record.
void pictureRecords()
{
    const QByteArray picture = QByteArray("\xFF\xD8 a thumbnail ").leftJustified(100, 'p');
    QByteArray info(60, '\0');
    info[0] = 1;
    info[1] = 1;
    info.replace(6, 4, u32(uint32_t(picture.size())));
    info.replace(12, 4, u32(Util::crc32ForBuf(patchtest::bytes(picture), uint32_t(picture.size()))));
    QByteArray script = QByteArray(1, '\x01') + info;
    for (int seq = 1, at = 0; at < picture.size(); ++seq, at += 51) {
        const QByteArray piece = picture.mid(at, 51);
        QByteArray reply(60, '\0');
        reply[0] = 2;
        reply.replace(1, 4, u32(uint32_t(seq)));
        reply[7] = char(piece.size());
        reply.replace(9, piece.size(), piece);
        script += reply;
    }
    seed("picturerecords", "thumbnail", script + QByteArray(120, '\x01'));
    QByteArray missing(60, '\0');
    missing[0] = 1;
    seed("picturerecords", "missing", QByteArray(1, '\0') + missing + QByteArray(60, '\x02'));
}

// Zoom 100..500 at 300, focus 0..1023 at 512 with auto focus on, as the
// standard controls answer; a raw status zoom of 200 first.
void cameraControls()
{
    QByteArray script = u32(200);
    for (uint16_t value : {100, 500, 300, 0, 1023, 512})
        script += u32(value).left(2);
    seed("cameracontrols", "ranges", script + QByteArray(1, '\x01'));
}

void packages()
{
    seed("firmwarepackage", "package", QByteArray(1, '\x01') + QByteArray(1, '\x07') + "SSC339G" + firmware());
    seed("firmwarepackage", "ugsys", QByteArray(1, '\x03') + QByteArray(1, '\0') + firmware());
    seed("camerapackage", "camera", QByteArray::fromHex("01000a00000000") + camera());
    seed("camerapackage", "offset", QByteArray::fromHex("01100a00000000") + QByteArray(16, 'Z') + camera());
}

int collect(diff_stream* stream, const void* buffer, int size)
{
    static_cast<QByteArray*>(stream->opaque)->append(static_cast<const char*>(buffer), size);
    return 0;
}

void patches(const QString& tmp)
{
    const QByteArray old = QByteArray("The camera's firmware, version one. ").repeated(20);
    QByteArray changed = old;
    changed.replace("one", "two!");
    QByteArray entries;
    diff_stream stream{&entries, malloc, free, collect};
    bsdiff(patchtest::bytes(old), old.size(), patchtest::bytes(changed), changed.size(), &stream);
    seed("bspatch", "diff", "\x01" + u32(uint32_t(changed.size())) + u32(uint32_t(old.size())) + old + entries);
    seed("bspatch", "raw", QByteArray(1, '\0') + u32(uint32_t(changed.size())) + u32(uint32_t(old.size())) + old + entries);

    const QString image = tmp + QStringLiteral("/image"), package = tmp + QStringLiteral("/package"),
                  list = tmp + QStringLiteral("/list");
    pkgtest::writeFile(image, old);
    pkgtest::writeFile(package, changed.left(old.size()));
    if (UvcPatchUpgradeProbe::patchList(image, package, list))
        seed("patchlist", "list", QByteArray(1, '\0') + u32(uint32_t(old.size())) + old + pkgtest::readFile(list));
}

void lzma()
{
    const QByteArray text = QByteArray("upload container ").repeated(30);
    QByteArray packed, props;
    unsigned char prop = 0;
    LZMA::encode2(text, &packed, &prop, 5);
    seed("lzma", "lzma2", "\x02" + QByteArray(1, char(prop)) + QByteArray(5, '\0') + u32(uint32_t(text.size())) + packed);
    packed.clear();
    LZMA::encode(text, &packed, props, 1);
    seed("lzma", "lzma1", QByteArray(1, '\0') + QByteArray(1, '\x10') + props + u32(uint32_t(text.size())) + packed);
}

void stream()
{
    // Three packets of 100 bytes then one of 20, every CRC holding.
    QByteArray input = "\x63" + u32(319);
    for (uint32_t seq = 1; seq <= 4; ++seq) {
        const int length = seq < 4 ? 100 : 20;
        QByteArray packet = u32(seq) + u32(0) + u32(uint32_t(length)) + QByteArray(length, char('a' + seq));
        qToLittleEndian<quint32>(Util::crc32ForBuf(patchtest::bytes(packet), uint32_t(packet.size())), packet.data() + 4);
        input += QByteArray(1, char(length)) + QByteArray(1, '\0') + packet;
    }
    seed("streamframe", "download", input);
}

void http()
{
    seed("httprequest", "length", "POST /upload?a=1 HTTP/1.1\r\nHost: x\r\nContent-Length: 20\r\n\r\n0123456789abcdefghij");
    seed("httprequest", "chunked",
         "POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\nX-E:\r\n\r\n4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n");
    seed("httprequest", "pipelined", "GET /a HTTP/1.1\r\nHost: pc\r\n\r\nGET /b HTTP/1.0\r\n\r\n");
    seed("httpresponse", "length",
         "\x02HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 20\r\n\r\n0123456789abcdefghij");
    seed("httpresponse", "chunked", QByteArray(1, '\0') + "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n");
    seed("httpresponse", "close", "\x01HTTP/1.0 404 Not Found\r\n\r\nto the close");
    seed("httpresponse", "overlimit", "\x02HTTP/1.1 200 OK\r\nContent-Length: 300\r\n\r\n" + QByteArray(300, 'o'));

    // The target's store holds version 1.0.2.9 of this package.
    const QByteArray package = "product=Kestro_zuki_2P&branch=main&platform=SSC339G&status=release";
    const QByteArray held = package + "&version=1.0.2.9";
    const QByteArray head = " HTTP/1.1\r\nHost: pc\r\n\r\n";
    seed("localserver", "query", "GET /query?cmd=1&" + held + "&seqid=3" + head);
    seed("localserver", "querysys", "GET /query?cmd=2&" + held + "&seqid=3" + head);
    seed("localserver", "download", "GET /download?cmd=1&" + held + "&seqid=3" + head);
    seed("localserver", "ugsys", "GET /download?cmd=2&" + held + " HTTP/1.1\r\n\r\n");
    seed("localserver", "notheld", "GET /download?cmd=1&" + package + "&version=1.0.0.1&seqid=3" + head);
    seed("localserver", "common", "GET /common?cmd=1 HTTP/1.1\r\nHost: pc\r\n\r\n");
    const QByteArray report = R"({"cmd": "UpgradeProgress", "type": 3, "uuid": "u-1", "msg": "done"})";
    seed("localserver", "progress", "POST / HTTP/1.1\r\nHost: pc\r\ncontent-length: "
                                        + QByteArray::number(report.size()) + "\r\n\r\n" + report);
    const QByteArray repeated = R"({"cmd":"UpgradeProgress","type":1,"uuid":"u","msg":[1],"msg":{"a":[2]}})";
    seed("localserver", "repeatedkey", "POST / HTTP/1.1\r\nHost: pc\r\ncontent-length: "
                                           + QByteArray::number(repeated.size()) + "\r\n\r\n" + repeated);
}

void cloud()
{
    const QByteArray package = R"({"product":"Kestro_orla","branch":"OA_E","platform":"SSC336Q",)"
                               R"("url":"http://127.0.0.1:1/fw.bin","pkgsize":1024,)"
                               R"("md5":"0123456789abcdef0123456789abcdef","version":"1.2.3.4","status":"release"})";
    seed("cloudreply", "package", "\x05{\"errorcode\":200,\"reason\":\"\",\"packages\":[" + package + "]}");
    seed("cloudreply", "error", "\x01{\"errorcode\":500,\"reason\":\"busy\"}");
    seed("cloudreply", "report", "\x01{\"errorcode\":200,\"reason\":\"ok\"}");
    seed("cloudreply", "token", "\x01" "1.0.3.7");
    seed("cloudreply", "dots", "\x01" "../fw");
    seed("cloudreply", "repeatedkey", "\x05{\"errorcode\":200,\"reason\":\"\",\"packages\":[1],\"packages\":[" + package + "]}");
}

void inis(const QString& source)
{
    seed("ini", "settings", pkgtest::readFile(source + QStringLiteral("/resources/config/kestro_macos.ini")));
    seed("ini", "logging", pkgtest::readFile(source + QStringLiteral("/resources/config/logging_orlacam.ini")));
}

void pictures()
{
    // A byte for the area a picture is shown in, then its bytes; for the
    // crop, seven bytes between that place the picture and the selection: a
    // 4:3 picture as the window shows it, with its largest selection and
    // with a smaller one moved inside, and a 16:9 one large enough to be
    // cropped without enlarging it.
    const QByteArray largest = QByteArray::fromHex("64006478640013");
    const QByteArray smaller = QByteArray::fromHex("64006478281919");
    const QByteArray wide = QByteArray::fromHex("0000786c640a0a");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (const char* format : {"PNG", "JPG", "BMP"}) {
        const QByteArray bytes = encoded(image, format);
        seed("picture", format, "\x01" + bytes);
        // The crop's largest area, and one smaller than the picture.
        seed("picturecrop", format, QByteArray(1, '\0') + largest + bytes);
        seed("picturecrop", qPrintable(QStringLiteral("%1-small").arg(QLatin1String(format))),
             "\xff" + smaller + bytes);
    }
    QImage large(960, 540, QImage::Format_RGB32);
    large.fill(Qt::darkCyan);
    seed("picturecrop", "PNG-large", QByteArray(1, '\0') + wide + encoded(large, "PNG"));
}

// JSON as cloud replies, the local server's POSTs and camera replies carry
// it; repeated keys, keys the parser compares by other rules than their
// decoded texts and keys its lookups miss, that the guard refuses.
void json()
{
    const QByteArray mark = QByteArray::fromHex("efbbbf");
    seed("jsonguard", "reply", R"({"errorcode":200,"reason":"","packages":[{"url":"http://h/p","pkgsize":1}]})");
    seed("jsonguard", "report", R"({"cmd": "UpgradeProgress", "type": 3, "uuid": "u-1", "msg": "done"})");
    seed("jsonguard", "escapes", R"([{"a\u0062\n":"\ud83d\ude00","\/":[true,false,null,-1.5e3]},{}])");
    seed("jsonguard", "repeatedkey", R"({"msg":[1],"x":{"k":{},"k":{"a":[2]}},"msg":{"a":[2]}})");
    seed("jsonguard", "markkey", "{\"" + mark + "\":[0],\"\\uFEFF\":0}");
    seed("jsonguard", "markwritten", "{\"\":1,\"" + mark + "\":2}");
    const QByteArray replacement = QByteArray::fromHex("efbfbd");
    seed("jsonguard", "lonesurrogate", "{\"\\uD800\":[0],\"" + replacement + "\":0}");
    seed("jsonguard", "replacementkey", "{\"" + replacement + "x\":[0],\"\\uDC00x\":{\"a\":[1]}}");
    seed("jsonguard", "strayescape", "{\"\\" + QByteArray::fromHex("c3") + "\":[0],\"\\uD7BF\\uDFC3\":0}");
    seed("jsonguard", "markleak", "{\"" + mark + "a\":[1],\"a\":[2]}");
    seed("jsonguard", "unfoundkey", "{\"\\uffff\":0,\"" + QByteArray::fromHex("f0908080") + "\":1}");
    seed("jsonguard", "nulkeys", QByteArray(R"({"~a":[0],"~b":0})").replace('~', '\0'));
    seed("jsonguard", "unicodekeys",
         "{\"" + QByteArray::fromHex("c3a9") + "\":[0],\"\\u00e9x\":1,\"\\ud83d\\ude00\":{\"x\\u00C9\":2},\"" +
             QByteArray::fromHex("f09f9880") + "x\":[{\"\\n\":3,\"\\u0001x\":4}]}");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <source folder>\n", argv[0]);
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir tmp;
    simReplies();
    packages();
    pictureRecords();
    cameraControls();
    patches(tmp.path());
    lzma();
    stream();
    http();
    cloud();
    inis(QString::fromLocal8Bit(argv[2]));
    pictures();
    json();
    return 0;
}
