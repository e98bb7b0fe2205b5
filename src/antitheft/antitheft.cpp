// The anti-theft settings, password and alert numbers; the SIM check.
// Operations arrive with their own issue; until then they do nothing.

#include "vardel.h"

void Vardel::IngresoClave() {}
void Vardel::CargarListaRobo() {}
void Vardel::Antirrobo() {}
void Vardel::zWardlex(const QString&) {}
void Vardel::getIMEI() {}
void Vardel::runZWardlex() {}
void Vardel::SendSMS(const QString&, const QString&) {}
