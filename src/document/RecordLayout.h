#pragma once

#include <type_traits>

#include "document/FieldReader.h"
#include "document/FieldWriter.h"

namespace qlm {

// Each stored structure is described once, as a function template over the direction:
//
//   template <class Io> void VisitFoo(Io& io, Visited<Io, Foo>& foo) {
//     io.U32(foo.count);
//     if (io.Version() >= 12) io.Text(foo.name);
//   }
//
// With a FieldReader it reads the fields into the record, with a FieldWriter it stores them,
// so the order and every version gate are written once. The writer sees the record as const:
// what only a reader does (defaults, checks, conversions of older files) sits in
// `if constexpr (Io::kReading)` blocks, and a value the record keeps in another form than the
// stored one goes through a local: made from the record, visited, and taken back when reading.
template <class Io, class T>
using Visited = std::conditional_t<Io::kReading, T, const T>;

}  // namespace qlm
