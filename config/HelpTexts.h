#pragma once

#include <QString>

// The pages of the configuration editor, in tab order.
enum class EditorPage { Comunicacion, Menu, Fondo, Iconos, Paneles, Pantalla, Alarma };

// The text the help memo shows for a page: a heading that ends in a blank,
// then paragraphs separated by an empty line.
QString helpText(EditorPage page);
