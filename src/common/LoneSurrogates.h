#pragma once

#include <QString>

// JSON may spell half of a surrogate pair on its own ("\ud800"); UTF-8 cannot hold one, so
// a text read that way would change when written back. Loaders store U+FFFD in its place,
// which every later save and load keeps as it is.
QString withoutLoneSurrogates(QString text);
