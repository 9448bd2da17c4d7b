// The five cell classes and their conversions between Boolean, date-time, number and text.
#pragma once

#include "grid/data/Cells.h"

namespace grid {

// Text; other kinds are parsed from it on demand.
class TStringCell : public TCell {
public:
    using TCell::TCell;
    bool AsBoolean() const override;
    double AsDateTime() const override;
    double AsFloat() const override;
    int32_t AsInteger() const override;
    std::wstring AsString() const override { return FValue; }
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(double value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::wstring& value) override;
    // The text itself, without a copy (sorting, comparisons).
    const std::wstring& Text() const { return FValue; }

private:
    std::wstring FValue;
};

class TBooleanCell : public TCell {
public:
    using TCell::TCell;
    bool AsBoolean() const override { return FValue; }
    double AsDateTime() const override { return 0; }
    double AsFloat() const override { return 0; }
    int32_t AsInteger() const override { return 0; }
    std::wstring AsString() const override { return FValue ? L"True" : L"False"; }
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(double value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::wstring& value) override;

private:
    bool FValue = false;
};

class TDateTimeCell : public TCell {
public:
    using TCell::TCell;
    bool AsBoolean() const override { return false; }
    double AsDateTime() const override { return FValue; }
    double AsFloat() const override { return FValue; }
    int32_t AsInteger() const override;
    std::wstring AsString() const override;
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(double value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::wstring& value) override;

private:
    double FValue = 0;
};

class TFloatCell : public TCell {
public:
    using TCell::TCell;
    bool AsBoolean() const override { return false; }
    double AsDateTime() const override { return FValue; }
    double AsFloat() const override { return FValue; }
    int32_t AsInteger() const override;
    std::wstring AsString() const override;
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(double value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::wstring& value) override;

private:
    double FValue = 0;
};

class TIntegerCell : public TCell {
public:
    using TCell::TCell;
    bool AsBoolean() const override { return false; }
    double AsDateTime() const override { return 0; }
    double AsFloat() const override { return FValue; }
    int32_t AsInteger() const override { return FValue; }
    std::wstring AsString() const override;
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(double value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::wstring& value) override;

private:
    int32_t FValue = 0;
};

} // namespace grid
