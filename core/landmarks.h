#pragma once

#include "linearequation.h"

#include <QString>

#include <cstdint>
#include <optional>

/// What a pupil hears of a line besides its equation: where it crosses the axes, which way it
/// goes, and how it meets a kept line, in Catalan words that a voice reads without symbols.
namespace landmarks {

/// A number as a voice says it: rounded to two decimals, with the decimal comma and the word for
/// its sign: 'menys 1,5', '3', '0,33'.
QString spokenNumber(double value);

/// The landmarks of the current line, and with a kept line how the two meet: 'Talla l'eix de
/// les y a 3 i l'eix de les x a menys 1,5. Puja d'esquerra a dreta, 2 unitats per cada unitat de
/// x. Es tallen al punt x 1, y 5.'
QString landmarkSentences(
    const numtext::StraightLine &line, const std::optional<numtext::StraightLine> &kept = {});

} // namespace landmarks
