#include "dbusmodem.h"

#include "ezxtapi.h"
#include "systembus.h"

namespace DbusModem {

namespace {

// The service a call goes to, or a TAPI error code: under Auto, no service
// on the bus (or no bus) is a machine without a modem; a service named
// outright that is not on the bus is no service.
std::optional<Service> resolve(SystemBus& bus, Service service, int& error)
{
    bool owned = false;
    if (service != Service::Auto) {
        const QString name = service == Service::ModemManager ? ModemManager::service : Ofono::service;
        error = bus.hasOwner(name, owned);
        if (!error && !owned)
            error = TAPI_ERROR_NO_SERVICE;
        return error ? std::nullopt : std::optional(service);
    }
    for (const Service s : {Service::ModemManager, Service::Ofono}) {
        if (bus.hasOwner(s == Service::ModemManager ? ModemManager::service : Ofono::service, owned) == 0 && owned)
            return s;
    }
    error = TAPI_ERROR_NO_MODEM;
    return std::nullopt;
}

template<typename ModemManagerCall, typename OfonoCall>
int dispatch(Service service, ModemManagerCall mm, OfonoCall ofono)
{
    SystemBus bus;
    int error = 0;
    const std::optional<Service> s = resolve(bus, service, error);
    if (!s)
        return error;
    return *s == Service::ModemManager ? mm(bus) : ofono(bus);
}

} // namespace

int answered(const QString& found, QString& value)
{
    if (found.isEmpty())
        return TAPI_ERROR_NO_VALUE;
    value = found;
    return 0;
}

std::optional<Service> named(const QByteArray& value)
{
    if (value == "modemmanager")
        return Service::ModemManager;
    if (value == "ofono")
        return Service::Ofono;
    if (value == "auto")
        return Service::Auto;
    return std::nullopt;
}

int open(Service service)
{
    SystemBus bus;
    int error = 0;
    return resolve(bus, service, error) ? 1 : -1;
}

int imsi(Service service, QString& value)
{
    return dispatch(service, [&](SystemBus& bus) { return ModemManager::imsi(bus, value); },
                    [&](SystemBus& bus) { return Ofono::imsi(bus, value); });
}

int imei(Service service, QString& value)
{
    return dispatch(service, [&](SystemBus& bus) { return ModemManager::imei(bus, value); },
                    [&](SystemBus& bus) { return Ofono::imei(bus, value); });
}

int serviceCentre(Service service, QString& value)
{
    // ModemManager's modem uses the centre its SIM holds: the empty text.
    return dispatch(service, [&](SystemBus&) { value.clear(); return 0; },
                    [&](SystemBus& bus) { return Ofono::serviceCentre(bus, value); });
}

int send(Service service, const SmsFields& message)
{
    if (message.number.isEmpty())
        return TAPI_ERROR_BAD_ARGUMENT;
    return dispatch(service, [&](SystemBus& bus) { return ModemManager::send(bus, message); },
                    [&](SystemBus& bus) { return Ofono::send(bus, message); });
}

} // namespace DbusModem
