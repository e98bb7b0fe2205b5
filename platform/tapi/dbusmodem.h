#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "smsfields.h"

class SystemBus;

// The telephony calls over a modem service on the system bus. Each returns
// 0 or a TAPI_ERROR_ code (docs/modem.md) and sets its text only on success.
namespace DbusModem {

enum class Service { ModemManager, Ofono, Auto };

// The service EZX_MODEM names ("modemmanager", "ofono", "auto"), if any.
std::optional<Service> named(const QByteArray& value);

// 1 when the service (for Auto: either one) is on the bus, else -1.
int open(Service service);
int imsi(Service service, QString& imsi);
int imei(Service service, QString& imei);
int serviceCentre(Service service, QString& number);
int send(Service service, const SmsFields& message);

// An answer read from the service: set into value and 0, or, when the
// service has none, TAPI_ERROR_NO_VALUE and value left as it was.
int answered(const QString& found, QString& value);

} // namespace DbusModem

// One service's answers, on a bus where its name has an owner.
namespace ModemManager {
extern const QString service;
int imsi(SystemBus& bus, QString& imsi);
int imei(SystemBus& bus, QString& imei);
int send(SystemBus& bus, const SmsFields& message);
} // namespace ModemManager

namespace Ofono {
extern const QString service;
int imsi(SystemBus& bus, QString& imsi);
int imei(SystemBus& bus, QString& imei);
int serviceCentre(SystemBus& bus, QString& number);
int send(SystemBus& bus, const SmsFields& message);
} // namespace Ofono
