// Package installation, the applications list, launching and removal.
// Operations arrive with their own issue; until then they do nothing.

#include "vardel.h"

void Vardel::Instalar(const QString&) {}
void Vardel::InstalarApp(const QString&, const QString&) {}
void Vardel::LimpiarCR() {}
void Vardel::AsociarMPKGs() {}
void Vardel::CargarListaApps() {}
void Vardel::EjecutarMPKG() {}
void Vardel::BuscarMPKG() {}
void Vardel::BorrarMPKG() {}
void Vardel::appClicked(ZListBoxItem*) {}
