// Growable array and string. Every residue string of the suite lives in one of these;
// the growth rule below is part of the observable behaviour (capacities are tested).
#pragma once

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <string>

#include "errormsg.h"

template <class T>
class _array_ {
  template <class U> friend class BasicString;

 private:
  T *s = nullptr;
  int realLength = 0;

 public:
  int length = 0;

  _array_() = default;
  _array_(const _array_ &o) { *this = o; }
  ~_array_() { std::free(s); }

  // Exact copy: no growth increment; an empty source leaves no buffer.
  _array_ &operator=(const _array_ &o) {
    if (this == &o) return *this;
    std::free(s);
    s = nullptr;
    realLength = 0;
    length = 0;
    if (o.length > 0) {
      s = static_cast<T *>(std::malloc(sizeof(T) * (size_t)o.length));
      if (!s) noRoom(o.length);
      std::memcpy(s, o.s, sizeof(T) * (size_t)o.length);
      realLength = length = o.length;
    }
    return *this;
  }

  int capacity() const { return realLength; }
  T *data() { return s; }
  const T *data() const { return s; }

  // Ensures room for n elements: below 25 exactly n, then by an eighth clamped to 4..1024.
  void grow(int n) {
    if (n <= realLength) return;
    long long inc = 0;
    if (realLength >= 25) {
      inc = realLength / 8;
      if (inc < 4) inc = 4;
      if (inc > 1024) inc = 1024;
    }
    long long cap = (long long)realLength + inc;
    if (cap < n) cap = n;
    if (cap > INT_MAX) noRoom(cap);
    T *p = static_cast<T *>(std::realloc(s, sizeof(T) * (size_t)cap));
    if (!p) noRoom(cap);
    long long from = length < 0 ? 0 : length;
    if (from < cap) std::memset(p + from, 0, sizeof(T) * (size_t)(cap - from));
    s = p;
    realLength = (int)cap;
  }
};

template <class T>
class BasicString : public _array_<T> {
 public:
  BasicString() = default;
  BasicString(const BasicString &o) : _array_<T>() { _array_<T>::operator=(o); }
  BasicString &operator=(const BasicString &o) {
    _array_<T>::operator=(o);
    return *this;
  }

  int len() const { return this->length - 1; }
  T *seq() { return this->s; }
  const T *seq() const { return this->s; }
  operator const T *() const { return this->s; }

  // Sets the length to n (terminator included) and writes the terminator.
  void setLen(int n) {
    if (n < 1) n = 1;
    this->grow(n);
    this->length = n;
    this->s[n - 1] = 0;
  }

  // Replaces the content by `count` characters of `p`; null gives the empty string.
  void set(const T *p, int count) {
    if (!p || count <= 0) {
      setLen(1);
      return;
    }
    if (inside(p)) {  // our own buffer may move when it grows
      std::basic_string<T> tmp(p, (size_t)count);
      set(tmp.data(), count);
      return;
    }
    this->grow(count + 1);
    std::memcpy(this->s, p, sizeof(T) * (size_t)count);
    this->length = count + 1;
    this->s[count] = 0;
  }

  // Appends `m` characters of `t`; a string without buffer appends to "".
  void append(const T *t, int m) {
    if (m <= 0 && this->length > 0) return;
    if (m < 0) m = 0;
    if (m && inside(t)) {
      std::basic_string<T> tmp(t, (size_t)m);
      append(tmp.data(), m);
      return;
    }
    if (this->length <= 0) {
      this->grow(1);
      this->length = 1;
      this->s[0] = 0;
    }
    int L = this->length;
    long long need = (long long)L + m;
    if (need > INT_MAX) noRoom(need);
    this->grow((int)need);
    if (m) std::memcpy(this->s + L - 1, t, sizeof(T) * (size_t)m);
    this->length = (int)need;
    this->s[need - 1] = 0;
  }

 private:
  bool inside(const T *p) const {
    auto a = reinterpret_cast<std::uintptr_t>(p);
    auto b = reinterpret_cast<std::uintptr_t>(this->s);
    return this->s && a >= b && a < b + sizeof(T) * (size_t)this->realLength;
  }

 public:
  BasicString &operator+=(const T *t) {
    if (!t) return *this;
    append(t, (int)std::strlen(t));
    return *this;
  }
};
