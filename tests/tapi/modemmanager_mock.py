'''ModemManager on the system bus, as far as the telephony calls use it: a
python-dbusmock template (python3 -m dbusmock -t THIS_FILE -p JSON).

Parameters:
  modems: list of {"imei", "equipment", "imsi" (absent or null: no SIM),
          "locked" (the SIM asks for its PIN)}; a modem without "imei" has
          no Modem3gpp interface
  log:    file that gets a JSON line per message sent ({"number", "text",
          "smsc"}) and per message deleted ({"deleted": path})
  send:   "sent" (default), "failed" (state UNKNOWN), "error" (a D-Bus
          error), "stuck" (the state stays SENDING)
  hang:   true: GetManagedObjects never answers
'''

import json
import time

import dbus
import dbusmock

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True

MODEM = MAIN_IFACE + '.Modem'
SMS = MAIN_IFACE + '.Sms'


def load(mock, parameters):
    objects = dbusmock.mockobject.objects
    mock.params = parameters
    mock.messages = 0
    mock.modem_paths = []
    mock.write_log = lambda entry: write_log(mock, entry)
    mock.create = lambda modem, props: create(mock, props)
    mock.send = lambda sms: send(mock, sms)
    code = 'time.sleep(30)' if parameters.get('hang') else 'ret = self.managed()'
    mock.managed = lambda: {dbus.ObjectPath(p): objects[p].props for p in mock.modem_paths}
    mock.AddMethod('org.freedesktop.DBus.ObjectManager', 'GetManagedObjects', '', 'a{oa{sa{sv}}}',
                   'import time; ' + code)
    for i, m in enumerate(parameters.get('modems', [])):
        path = f'{MAIN_OBJ}/Modem/{i}'
        sim = '/'
        if m.get('imsi') is not None:
            sim = f'{MAIN_OBJ}/SIM/{i}'
            mock.AddObject(sim, MAIN_IFACE + '.Sim', {'Imsi': m['imsi'], 'SimIdentifier': f'8934{i:015d}'}, [])
        locked = m.get('locked', False)
        mock.AddObject(path, MODEM, {
            'Sim': dbus.ObjectPath(sim),
            'EquipmentIdentifier': m.get('equipment', ''),
            'State': dbus.Int32(2 if locked else 8),           # LOCKED or REGISTERED
            'UnlockRequired': dbus.UInt32(2 if locked else 1),  # SIM_PIN or NONE
        }, [])
        modem = objects[path]
        if 'imei' in m:
            modem.AddProperties(MODEM + '.Modem3gpp', {'Imei': m['imei']})
        modem.AddMethods(MODEM + '.Messaging', [
            ('Create', 'a{sv}', 'o', f'ret = objects["{MAIN_OBJ}"].create(self, args[0])'),
            ('Delete', 'o', '', f'objects["{MAIN_OBJ}"].write_log({{"deleted": str(args[0])}}); '
                                f'objects["{MAIN_OBJ}"].RemoveObject(args[0])'),
        ])
        mock.modem_paths.append(path)


def write_log(mock, entry):
    if 'log' in mock.params:
        with open(mock.params['log'], 'a', encoding='utf-8') as f:
            f.write(json.dumps(entry) + '\n')


def create(mock, props):
    mock.messages += 1
    path = f'{MAIN_OBJ}/SMS/{mock.messages}'
    mock.AddObject(path, SMS, {
        'State': dbus.UInt32(1),  # STORED
        'Number': props.get('number', ''), 'Text': props.get('text', ''), 'SMSC': props.get('smsc', ''),
    }, [('Send', '', '', f'objects["{MAIN_OBJ}"].send(self)')])
    return dbus.ObjectPath(path)


def send(mock, sms):
    how = mock.params.get('send', 'sent')
    if how == 'error':
        raise dbus.exceptions.DBusException('no network', name='org.freedesktop.ModemManager1.Error.Core.Failed')
    props = sms.props[SMS]
    if how == 'sent':
        mock.write_log({'number': str(props['Number']), 'text': str(props['Text']), 'smsc': str(props['SMSC'])})
    props['State'] = dbus.UInt32({'sent': 5, 'failed': 0, 'stuck': 4}[how])
