// The package check of a firmware query reply: the array of one, the eight
// keys, the identity and channel rules, and the bounds on everything that
// becomes a size, a file name or a URL; then the package file name.

#include "cloudlink/PackageCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using vesk::pc::PackageCheck;

namespace {

QJsonObject goodQuery()
{
    return {{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
            {"status", "release"},      {"version", "1.0.3.7"}, {"seqid", "1"}};
}

QJsonObject goodPackage()
{
    return {{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
            {"url", "http://127.0.0.1:1/fw.bin"}, {"pkgsize", 1024},
            {"md5", "0123456789abcdef0123456789abcdef"}, {"version", "1.2.3.4"}, {"status", "release"}};
}

QJsonObject namedBy(const char* product, const char* platform, const char* version, const char* status)
{
    QJsonObject parts{{"branch", "OA_E"}, {"version", version}, {"status", status}};
    if (product)
        parts.insert("product", product);
    if (platform)
        parts.insert("platform", platform);
    return parts;
}

// One JSON value written as text; "<absent>" is a missing key.
QJsonObject withValue(QJsonObject target, const QString& key, const QByteArray& json)
{
    if (json == "<absent>")
        target.remove(key);
    else if (!key.isEmpty())
        target.insert(key, QJsonDocument::fromJson("[" + json + "]").array().first());
    return target;
}

QJsonObject replyOf(const QByteArray& packagesJson)
{
    return QJsonDocument::fromJson("{\"errorcode\":200,\"reason\":\"\",\"packages\":" + packagesJson + "}").object();
}

QByteArray packageText(const QJsonObject& package)
{
    return QJsonDocument(package).toJson(QJsonDocument::Compact);
}

} // namespace

class tst_PackageCheck : public QObject
{
    Q_OBJECT
private slots:
    void packagesMustBeAnArrayOfOne_data();
    void packagesMustBeAnArrayOfOne();
    void packageValues_data();
    void packageValues();
    void channelRule_data();
    void channelRule();
    void packageFileName_data();
    void packageFileName();
};

void tst_PackageCheck::packagesMustBeAnArrayOfOne_data()
{
    QTest::addColumn<QByteArray>("packages");
    QTest::addColumn<int>("result");
    const QByteArray one = packageText(goodPackage());
    QTest::newRow("one package") << "[" + one + "]" << int(PackageCheck::Accepted);
    QTest::newRow("two packages") << "[" + one + "," + one + "]" << int(PackageCheck::NotOnePackage);
    QTest::newRow("an object") << one << int(PackageCheck::NotOnePackage);
    QTest::newRow("empty array") << QByteArray("[]") << int(PackageCheck::NotOnePackage);
    QTest::newRow("a text") << QByteArray("\"x\"") << int(PackageCheck::NotOnePackage);
    QTest::newRow("an element that is no object") << QByteArray("[7]") << int(PackageCheck::BadPackage);
}

void tst_PackageCheck::packagesMustBeAnArrayOfOne()
{
    QFETCH(QByteArray, packages);
    QFETCH(int, result);
    if (result == PackageCheck::NotOnePackage)
        QTest::ignoreMessage(QtCriticalMsg, "response json error in key word: packages");
    if (result == PackageCheck::BadPackage)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Firmware info error"));
    QJsonObject package = QJsonObject{{"left", "over"}};
    QCOMPARE(int(PackageCheck::check(replyOf(packages), goodQuery(), &package)), result);
    QCOMPARE(package.isEmpty(), result != PackageCheck::Accepted);
}

// Each row changes one key of a good package (or of the query).
void tst_PackageCheck::packageValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("alsoInQuery");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("unchanged") << QString() << QByteArray() << false << true;
    for (const char* key : {"product", "branch", "platform", "url", "pkgsize", "md5", "version", "status"})
        QTest::newRow(qPrintable(QStringLiteral("no %1").arg(QLatin1String(key))))
            << QString::fromLatin1(key) << QByteArray("<absent>") << false << false;
    QTest::newRow("Product in other case") << "product" << QByteArray("\"kestro_orla\"") << false << false;
    QTest::newRow("other platform") << "platform" << QByteArray("\"SSC338Q\"") << false << false;
    QTest::newRow("test package for a release query") << "status" << QByteArray("\"test\"") << false << false;
    QTest::newRow("other branch") << "branch" << QByteArray("\"OA_W\"") << false << false;
    QTest::newRow("pkgsize 1 GiB") << "pkgsize" << QByteArray("1073741824") << false << true;
    QTest::newRow("pkgsize as text") << "pkgsize" << QByteArray("\"2048\"") << false << true;
    QTest::newRow("pkgsize 0") << "pkgsize" << QByteArray("0") << false << false;
    QTest::newRow("pkgsize negative") << "pkgsize" << QByteArray("-5") << false << false;
    QTest::newRow("pkgsize 1 GiB + 1") << "pkgsize" << QByteArray("1073741825") << false << false;
    QTest::newRow("pkgsize fraction") << "pkgsize" << QByteArray("10.5") << false << false;
    QTest::newRow("pkgsize words") << "pkgsize" << QByteArray("\"ten\"") << false << false;
    QTest::newRow("pkgsize spaced text") << "pkgsize" << QByteArray("\" 10\"") << false << false;
    QTest::newRow("pkgsize text past 64 bits") << "pkgsize" << QByteArray("\"99999999999999999999\"") << false << false;
    QTest::newRow("version with a slash") << "version" << QByteArray("\"1.2/../../x\"") << false << false;
    QTest::newRow("version empty") << "version" << QByteArray("\"\"") << false << false;
    QTest::newRow("version too long") << "version" << QByteArray("\"" + QByteArray(65, '1') + "\"") << false << false;
    QTest::newRow("version a dot") << "version" << QByteArray("\".\"") << false << false;
    QTest::newRow("version two dots") << "version" << QByteArray("\"..\"") << false << false;
    QTest::newRow("version with two dots inside") << "version" << QByteArray("\"1..3.4\"") << false << false;
    // Versions are a.b.c.d, each part 0..255, as the store and the
    // comparison read them.
    QTest::newRow("version .1") << "version" << QByteArray("\".1\"") << false << false;
    QTest::newRow("version 1.0.0.") << "version" << QByteArray("\"1.0.0.\"") << false << false;
    QTest::newRow("version of three parts") << "version" << QByteArray("\"1.0.0\"") << false << false;
    QTest::newRow("version of five parts") << "version" << QByteArray("\"1.0.0.0.0\"") << false << false;
    QTest::newRow("version of letters") << "version" << QByteArray("\"a.b.c.d\"") << false << false;
    QTest::newRow("version part 256") << "version" << QByteArray("\"1.0.0.256\"") << false << false;
    QTest::newRow("version a number") << "version" << QByteArray("1.5") << false << false;
    QTest::newRow("version 0.0.0.0") << "version" << QByteArray("\"0.0.0.0\"") << false << true;
    QTest::newRow("version 255.255.255.255") << "version" << QByteArray("\"255.255.255.255\"") << false << true;
    QTest::newRow("version with leading zeros") << "version" << QByteArray("\"01.0.10.007\"") << false << true;
    QTest::newRow("product two dots, as queried") << "product" << QByteArray("\"..\"") << true << false;
    QTest::newRow("version not ASCII") << "version" << QByteArray("\"1.2.3.\xc3\xa9\"") << false << false;
    QTest::newRow("product with a slash, as queried") << "product" << QByteArray("\"a/b\"") << true << false;
    QTest::newRow("branch with a dash and a dot, as queried") << "branch" << QByteArray("\"OA-E.2\"") << true << true;
    QTest::newRow("url https") << "url" << QByteArray("\"https://127.0.0.1/fw.bin\"") << false << false;
    QTest::newRow("url file") << "url" << QByteArray("\"file:///tmp/fw.bin\"") << false << false;
    QTest::newRow("url without host") << "url" << QByteArray("\"http:///fw.bin\"") << false << false;
    QTest::newRow("url upper-case scheme") << "url" << QByteArray("\"HTTP://127.0.0.1/fw.bin\"") << false << true;
}

void tst_PackageCheck::packageValues()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, alsoInQuery);
    QFETCH(bool, accepted);
    const QJsonObject package = withValue(goodPackage(), key, value);
    const QJsonObject query = alsoInQuery ? withValue(goodQuery(), key, value) : goodQuery();
    if (!accepted)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Firmware info error"));
    const QJsonObject result = PackageCheck::acceptedPackage(replyOf("[" + packageText(package) + "]"), query);
    QCOMPARE(result, accepted ? package : QJsonObject());
}

void tst_PackageCheck::channelRule_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("package");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("release takes release") << "release" << "release" << true;
    QTest::newRow("release refuses test") << "release" << "test" << false;
    QTest::newRow("release refuses debug") << "release" << "debug" << false;
    QTest::newRow("test takes release") << "test" << "release" << true;
    QTest::newRow("test takes test") << "test" << "test" << true;
    QTest::newRow("test refuses debug") << "test" << "debug" << false;
    QTest::newRow("debug takes release") << "debug" << "release" << true;
    QTest::newRow("debug takes test") << "debug" << "test" << true;
    QTest::newRow("debug takes debug") << "debug" << "debug" << true;
    QTest::newRow("Release in other case takes debug") << "Release" << "debug" << true;
}

void tst_PackageCheck::channelRule()
{
    QFETCH(QString, query);
    QFETCH(QString, package);
    QFETCH(bool, accepted);
    QCOMPARE(PackageCheck::channelAccepts(query, package), accepted);
}

void tst_PackageCheck::packageFileName_data()
{
    QTest::addColumn<QJsonObject>("package");
    QTest::addColumn<int>("pkgType");
    QTest::addColumn<QString>("name");
    QTest::newRow("firmware") << goodPackage() << 1 << "Kestro_orla_OA_E_SSC336Q_1.2.3.4_release.bin";
    QTest::newRow("desktop software") << namedBy("Kestro_orla_pc", "macos", "1.0.6.0", "test") << 0
                                      << "Kestro_orla_pc_OA_E_macos_1.0.6.0_test.dmg";
    QTest::newRow("any other type is firmware") << goodPackage() << 7 << "Kestro_orla_OA_E_SSC336Q_1.2.3.4_release.bin";
    QTest::newRow("a part that is the parent folder") << namedBy("..", "SSC336Q", "1", "release") << 1 << "";
    QTest::newRow("a part with a slash") << namedBy("Kestro_orla", "x/y", "1", "release") << 1 << "";
    QTest::newRow("a part missing") << namedBy("Kestro_orla", nullptr, "1", "release") << 1 << "";
    QTest::newRow("a version of two parts") << namedBy("Kestro_orla", "SSC336Q", ".1", "release") << 0 << "";
}

void tst_PackageCheck::packageFileName()
{
    QFETCH(QJsonObject, package);
    QFETCH(int, pkgType);
    QFETCH(QString, name);
    if (name.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Package name refused"));
    QCOMPARE(PackageCheck::packageFileName(package, pkgType), name);
}

QTEST_GUILESS_MAIN(tst_PackageCheck)
#include "tst_packagecheck.moc"
