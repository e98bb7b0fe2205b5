#pragma once

#include <QByteArray>
#include <QObject>

class Vardel;

// An options-menu entry that changes the phone: its slot of the window runs
// while the program's lock is held (Vardel::oneAtATime).
class ChangeGate : public QObject
{
    Q_OBJECT
public:
    // slot as SLOT() writes it, without arguments.
    ChangeGate(Vardel* window, const char* slot, QObject* parent);

public slots:
    void run();

private:
    Vardel* window;
    QByteArray method;
};
