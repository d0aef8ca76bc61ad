// Slots for optional implementation objects that the grid classes forward
// some of their operations to. The kernel library installs none, so every
// forwarded operation does nothing and returns 0.
#pragma once

#include <memory>
#include <string>

#include "gridstyle/GSServices.h"

class CArchive;
class CObject;
class CGSStyle;

// Reads and writes the fields of styles, fonts, style stores, style maps,
// grid properties and grid parameters.
class CGSSerializationImpl {
 public:
  virtual ~CGSSerializationImpl() = default;
  virtual void Serialize(CObject& obj, CArchive& ar) = 0;
};

// Produces a cell's display text and parses typed values.
class CGSFormattingImpl {
 public:
  virtual ~CGSFormattingImpl() = default;
  virtual bool GetDisplayText(const CGSStyle& style, std::string& text) = 0;
  virtual int ParseValue(CGSStyle& style, const std::string& text) = 0;
};

// Draws rotated text.
class CGSDrawingImpl {
 public:
  virtual ~CGSDrawingImpl() = default;
  virtual int DrawRotatedText(CGSDeviceContext& dc, const std::string& text, const GSRect& rect, unsigned flags) = 0;
};

// Offered a stored cell value; true when it accepts it as a typed value.
class CGSValueParser {
 public:
  virtual ~CGSValueParser() = default;
  virtual bool Accept(CGSStyle& style) = 0;
};

// Creates the grid parameter's first owned object.
class CGSObjectFactory {
 public:
  virtual ~CGSObjectFactory() = default;
  virtual std::unique_ptr<CObject> CreateGridParamObject() = 0;
};

struct CGSImplementations {
  std::unique_ptr<CGSSerializationImpl> serialization;
  std::unique_ptr<CGSFormattingImpl> formatting;
  std::unique_ptr<CGSDrawingImpl> drawing;
  std::unique_ptr<CGSValueParser> valueParser;
  std::unique_ptr<CGSObjectFactory> factory;
};

// The implementation slots of the application-wide grid data object (null
// once the process-wide objects are gone).
CGSImplementations* GSImplementations();

// Forwards to the serialisation implementation when one is installed.
void GSForwardSerialize(CObject& obj, CArchive& ar);
