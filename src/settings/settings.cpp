// The phone-settings list and its editors.
// Operations arrive with their own issue; until then they do nothing.

#include "vardel.h"

void Vardel::CargarListaConfig() {}
void Vardel::BT_Discover() {}
void Vardel::Time_Alarm() {}
void Vardel::ID_Contacts() {}
void Vardel::SMS_Empty() {}
void Vardel::Sidebar() {}
void Vardel::Slider() {}
void Vardel::Equalize() {}
void Vardel::ChangeFont(const QString&) {}
void Vardel::SelectFont(const QString&) {}
