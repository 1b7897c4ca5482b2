#include "orlacam/settings/CamSettingTables.h"

#include <QtGlobal>

namespace vesk {
namespace pc {

namespace {

QVector<CamSettingTable::Entry> isoEntries()
{
    QVector<CamSettingTable::Entry> entries;
    for (int key = 1; key <= 48; ++key)
        entries.append({key, QString::number(key * 100)});
    return entries;
}

} // namespace

int CamSettingTable::positionOf(int key) const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i].key == key)
            return i;
    }
    return 0;
}

const CamSettingTable::Entry& CamSettingTable::at(int position) const
{
    return entries_[qBound(0, position, entries_.size() - 1)];
}

const CamSettingTable kCompensationTable({
    {0, QStringLiteral("-3")},   {1, QStringLiteral("-2.7")}, {2, QStringLiteral("-2.3")},
    {3, QStringLiteral("-2")},   {4, QStringLiteral("-1.7")}, {5, QStringLiteral("-1.3")},
    {6, QStringLiteral("-1")},   {7, QStringLiteral("-0.7")}, {8, QStringLiteral("-0.3")},
    {9, QStringLiteral("0")},    {10, QStringLiteral("0.3")}, {11, QStringLiteral("0.7")},
    {12, QStringLiteral("1")},   {13, QStringLiteral("1.3")}, {14, QStringLiteral("1.7")},
    {15, QStringLiteral("2")},   {16, QStringLiteral("2.3")}, {17, QStringLiteral("2.7")},
    {18, QStringLiteral("3")},
});

const CamSettingTable kIsoTable(isoEntries());

const CamSettingTable kShutterTable({
    {1, QStringLiteral("1/6400")},   {2, QStringLiteral("1/5000")},  {3, QStringLiteral("1/3200")},
    {4, QStringLiteral("1/2500")},   {5, QStringLiteral("1/2000")},  {6, QStringLiteral("1/1600")},
    {8, QStringLiteral("1/1250")},   {10, QStringLiteral("1/1000")}, {13, QStringLiteral("1/800")},
    {16, QStringLiteral("1/640")},   {20, QStringLiteral("1/500")},  {25, QStringLiteral("1/400")},
    {31, QStringLiteral("1/320")},   {42, QStringLiteral("1/240")},  {50, QStringLiteral("1/200")},
    {63, QStringLiteral("1/160")},   {83, QStringLiteral("1/120")},  {100, QStringLiteral("1/100")},
    {125, QStringLiteral("1/80")},   {167, QStringLiteral("1/60")},  {200, QStringLiteral("1/50")},
    {250, QStringLiteral("1/40")},   {330, QStringLiteral("1/33")},  {400, QStringLiteral("1/25")},
    {500, QStringLiteral("1/20")},   {667, QStringLiteral("1/15")},  {800, QStringLiteral("1/12.5")},
    {1000, QStringLiteral("1/10")},  {1250, QStringLiteral("1/8")},  {1600, QStringLiteral("1/6.25")},
    {2000, QStringLiteral("1/5")},   {2500, QStringLiteral("1/4")},  {3300, QStringLiteral("1/3")},
    {4000, QStringLiteral("1/2.5")},
});

} // namespace pc
} // namespace vesk
