'''oFono on the system bus, as far as the telephony calls use it: a
python-dbusmock template (python3 -m dbusmock -t THIS_FILE -p JSON).

Parameters:
  modems: list of {"imei" (the modem's Serial), "imsi" (absent or null: no
          SIM card present), "locked" (the SIM asks for its PIN), "centre"}
  log:    file that gets a JSON line per message sent ({"number", "text"})
  send:   "sent" (default), "failed", "error" (a D-Bus error), "stuck"
          (the message stays pending)
  hang:   true: GetModems never answers

As oFono does, a message reports its end (PropertyChanged State) a moment
after SendMessage has answered, and then goes away (MessageRemoved).
'''

import json
import time

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.ofono'
MAIN_OBJ = '/'
MAIN_IFACE = 'org.ofono.Manager'
SYSTEM_BUS = True


def load(mock, parameters):
    objects = dbusmock.mockobject.objects
    mock.params = parameters
    mock.messages = 0
    mock.modem_paths = []
    mock.send_message = lambda modem, to, text: send_message(mock, modem, to, text)
    code = 'time.sleep(30)' if parameters.get('hang') else \
        'ret = [(dbus.ObjectPath(p), objects[p].GetAll("org.ofono.Modem")) for p in self.modem_paths]'
    mock.AddMethod(MAIN_IFACE, 'GetModems', '', 'a(oa{sv})', 'import time; ' + code)
    for i, m in enumerate(parameters.get('modems', [])):
        path = f'/modem{i}'
        present = m.get('imsi') is not None
        interfaces = ['org.ofono.SimManager'] + (['org.ofono.MessageManager'] if present else [])
        mock.AddObject(path, 'org.ofono.Modem', {
            'Serial': m.get('imei', ''), 'Powered': True, 'Online': True,
            'Interfaces': dbus.Array(interfaces, signature='s'),
        }, [('GetProperties', '', 'a{sv}', 'ret = self.GetAll("org.ofono.Modem")')])
        modem = objects[path]
        sim = {'Present': present, 'PinRequired': 'pin' if m.get('locked') else 'none'}
        if present:
            sim['SubscriberIdentity'] = m['imsi']
        modem.AddProperties('org.ofono.SimManager', sim)
        modem.AddMethods('org.ofono.SimManager', [
            ('GetProperties', '', 'a{sv}', 'ret = self.GetAll("org.ofono.SimManager")')])
        if present:
            modem.AddProperties('org.ofono.MessageManager', {'ServiceCenterAddress': m.get('centre', '')})
            modem.AddMethods('org.ofono.MessageManager', [
                ('GetProperties', '', 'a{sv}', 'ret = self.GetAll("org.ofono.MessageManager")'),
                ('SendMessage', 'ss', 'o', 'ret = objects["/"].send_message(self, args[0], args[1])'),
            ])
        mock.modem_paths.append(path)


def send_message(mock, modem, to, text):
    how = mock.params.get('send', 'sent')
    if how == 'error':
        raise dbus.exceptions.DBusException('no network', name='org.ofono.Error.Failed')
    mock.messages += 1
    path = f'{modem.path}/message_{mock.messages:04d}'
    mock.AddObject(path, 'org.ofono.Message', {'State': 'pending'}, [])
    if how != 'stuck':
        GLib.timeout_add(20, finish, mock, modem, path, how, to, text)
    return dbus.ObjectPath(path)


def finish(mock, modem, path, how, to, text):
    if how == 'sent' and 'log' in mock.params:
        with open(mock.params['log'], 'a', encoding='utf-8') as f:
            f.write(json.dumps({'number': to, 'text': text}) + '\n')
    message = dbusmock.mockobject.objects[path]
    message.EmitSignal('org.ofono.Message', 'PropertyChanged', 'sv', ['State', dbus.String(how, variant_level=1)])
    modem.EmitSignal('org.ofono.MessageManager', 'MessageRemoved', 'o', [dbus.ObjectPath(path)])
    mock.RemoveObject(path)
    return False
