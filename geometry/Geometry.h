// The geometry element library: elements, stream channels and numeric helpers.
#pragma once

#include "geometry/GeoElements.h"
#include "geometry/GeoFile.h"
#include "geometry/GeoNumeric.h"
#include "geometry/GeoPlanar.h"
