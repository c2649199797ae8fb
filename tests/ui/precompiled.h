// Compiled once for every widget test: the test framework and the standard
// headers of the other tests, the desktop client's Qt headers and Qt's test
// headers.
#pragma once

#include "../precompiled.h"
#include "ui/precompiled.h"

#include <QSignalSpy>
#include <QTest>
