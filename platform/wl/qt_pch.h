// Precompiled header of the libraries with windows: the toolkit headers
// they all use.
#pragma once

#include <QtCore>
#include <QtGui>
#include <QtWidgets>
