// The autorun list and its editing; the cron and inetd switches.
// Operations arrive with their own issue; until then they do nothing.

#include "vardel.h"

void Vardel::CargarListaAutorun() {}
void Vardel::EntradaAutorun(const QString&, int, const QString&) {}
void Vardel::AutorunAdd() {}
void Vardel::AutorunRemove() {}
void Vardel::Cron() {}
void Vardel::Inetd() {}
void Vardel::runClicked(ZListBoxItem*) {}
