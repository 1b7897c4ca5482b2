#include "support/TestHome.h"
#include "http/Stringify.h"

#include <QtTest>

using qhttp::Stringify;

class tst_HttpStringify : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void reasonPhrases_data();
    void reasonPhrases();
    void methodNames_data();
    void methodNames();
};

// A code without a row has a null text.
void tst_HttpStringify::reasonPhrases_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    // Every row of the table, then codes without one.
    const struct { int code; const char* text; } rows[] = {
        {100, "Continue"}, {101, "Switching Protocols"}, {102, "Processing"}, {200, "OK"}, {201, "Created"},
        {202, "Accepted"}, {203, "Non-Authoritative Information"}, {204, "No Content"}, {205, "Reset Content"},
        {206, "Partial Content"}, {207, "Multi-Status"}, {300, "Multiple Choices"}, {301, "Moved Permanently"},
        {302, "Moved Temporarily"}, {303, "See Other"}, {304, "Not Modified"}, {305, "Use Proxy"},
        {307, "Temporary Redirect"}, {400, "Bad Request"}, {401, "Unauthorized"}, {402, "Payment Required"},
        {403, "Forbidden"}, {404, "Not Found"}, {405, "Method Not Allowed"}, {406, "Not Acceptable"},
        {407, "Proxy Authentication Required"}, {408, "Request Time-out"}, {409, "Conflict"}, {410, "Gone"},
        {411, "Length Required"}, {412, "Precondition Failed"}, {413, "Request Entity Too Large"},
        {414, "Request-URI Too Large"}, {415, "Unsupported Media Type"},
        {416, "Requested Range Not Satisfiable"}, {417, "Expectation Failed"}, {418, "I\"m a teapot"},
        {422, "Unprocessable Entity"}, {423, "Locked"}, {424, "Failed Dependency"},
        {425, "Unordered Collection"}, {426, "Upgrade Required"}, {431, "Request Header Fields Too Large"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"}, {502, "Bad Gateway"}, {503, "Service Unavailable"},
        {504, "Gateway Time-out"}, {505, "HTTP Version not supported"}, {506, "Variant Also Negotiates"},
        {507, "Insufficient Storage"}, {509, "Bandwidth Limit Exceeded"}, {510, "Not Extended"},
        {0, nullptr}, {299, nullptr}, {306, nullptr}, {308, nullptr}, {421, nullptr}, {430, nullptr},
        {451, nullptr}, {508, nullptr}, {999, nullptr}, {-1, nullptr},
    };
    for (const auto& row : rows)
        QTest::newRow(QByteArray::number(row.code)) << row.code << QString::fromLatin1(row.text);
}

void tst_HttpStringify::reasonPhrases()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    const QString got = Stringify::toString(static_cast<qhttp::TStatusCode>(code));
    QCOMPARE(got, text);
    QCOMPARE(got.isNull(), text.isNull());
}

void tst_HttpStringify::methodNames_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("name");
    const char* const names[] = {"DELETE", "GET", "HEAD", "POST", "PUT", "CONNECT", "OPTIONS"};
    for (int method = 0; method < 7; ++method)
        QTest::newRow(names[method]) << method << QString::fromLatin1(names[method]);
    QTest::newRow("outside") << 200 << "<unknown>";
    QTest::newRow("negative") << -1 << "<unknown>";
}

void tst_HttpStringify::methodNames()
{
    QFETCH(int, method);
    QFETCH(QString, name);
    QCOMPARE(Stringify::toString(static_cast<qhttp::THttpMethod>(method)), name);
}

QTEST_GUILESS_MAIN(tst_HttpStringify)
#include "tst_httpstringify.moc"
