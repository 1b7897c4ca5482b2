#pragma once

// Simulated cameras' standard controls and status blocks as tests state
// them, and the requests a camera saw in a compact text form.

#include "sim/SimCamera.h"

#include <QString>

// Changes to a camera's controls, written as "CT:06=feff PU:06.min=4cff
// PU:10=- PU:03=x": unit, selector, optional field (cur when none), value
// bytes in hex; '-' takes the control away (the camera stalls it, as a
// control without a V4L2 counterpart does) and 'x' makes reads of its
// current value fail.
inline vesk::pc::SimCameraModel withControls(vesk::pc::SimCameraModel model, const QString& changes)
{
    using vesk::pc::UvcUnitKind;
    for (const QString& change : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString target = change.section(QLatin1Char('='), 0, 0);
        const QByteArray value = change.section(QLatin1Char('='), 1).toLatin1();
        const UvcUnitKind unit = target.startsWith(QLatin1String("CT")) ? UvcUnitKind::CameraTerminal
                                                                        : UvcUnitKind::ProcessingUnit;
        const uint8_t selector = uint8_t(target.mid(3, 2).toUInt(nullptr, 16));
        const QString field = target.section(QLatin1Char('.'), 1);
        for (int i = 0; i < model.controls.size(); ++i) {
            vesk::pc::SimControl& control = model.controls[i];
            if (control.unit != unit || control.selector != selector)
                continue;
            if (value == "-") {
                model.controls.removeAt(i);
                break;
            }
            if (value == "x") {
                control.readFails = true;
                break;
            }
            QByteArray& slot = field == QLatin1String("min")   ? control.min
                               : field == QLatin1String("max") ? control.max
                               : field == QLatin1String("res") ? control.res
                               : field == QLatin1String("def") ? control.def
                                                               : control.cur;
            slot = QByteArray::fromHex(value);
            break;
        }
    }
    return model;
}

// A 60-byte status block written as "1=01 25=80": bytes by index, in hex;
// the rest 0.
inline QByteArray statusBytes(const QString& bytes)
{
    QByteArray block(60, '\0');
    for (const QString& item : bytes.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        block[item.section(QLatin1Char('='), 0, 0).toInt()] = char(item.section(QLatin1Char('='), 1).toUInt(nullptr, 16));
    return block;
}

// "<request> <unit>:<selector>/<length> <data>", e.g. "SET_CUR PU:06/2 4cff";
// data is what was written, or what a GET moved back.
inline QString describeRequest(const vesk::pc::SimRequestRecord& record)
{
    using vesk::pc::UvcRequest;
    using vesk::pc::UvcUnitKind;
    const char* request = "?";
    switch (record.request) {
    case UvcRequest::SetCur: request = "SET_CUR"; break;
    case UvcRequest::GetCur: request = "GET_CUR"; break;
    case UvcRequest::GetMin: request = "GET_MIN"; break;
    case UvcRequest::GetMax: request = "GET_MAX"; break;
    case UvcRequest::GetRes: request = "GET_RES"; break;
    case UvcRequest::GetInfo: request = "GET_INFO"; break;
    case UvcRequest::GetDef: request = "GET_DEF"; break;
    }
    const char* unit = record.kind == UvcUnitKind::CameraTerminal   ? "CT"
                       : record.kind == UvcUnitKind::ProcessingUnit ? "PU"
                                                                    : "XU";
    return QStringLiteral("%1 %2:%3/%4 %5")
        .arg(QLatin1String(request), QLatin1String(unit))
        .arg(QString::number(record.selector, 16).rightJustified(2, QLatin1Char('0')).toUpper())
        .arg(record.length)
        .arg(QString::fromLatin1(record.data.toHex()))
        .trimmed();
}
