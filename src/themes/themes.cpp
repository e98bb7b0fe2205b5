// Theme installation, the theme list and removal.
// Operations arrive with their own issue; until then they do nothing.

#include "vardel.h"

void Vardel::InstalarSkin(const QString&, const QString&) {}
void Vardel::InstalarSkinBrenik(const QString&, const QString&) {}
void Vardel::CargarListaSkins() {}
void Vardel::BorrarTema() {}
