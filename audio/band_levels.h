// The music spectrum: 1024 mono samples in, 512 band magnitudes out.
//
// The samples are weighted with a periodic Hann window and transformed with
// a real FFT. Element k is the magnitude of the band centred on
// (k + 1) * rate / 1024 Hz (at 44100 Hz: 43 Hz, 86 Hz, ... up to half the
// rate); the constant (0 Hz) term is left out because an offset is not
// sound. Element 0 is therefore the lowest band, covering roughly 0-86 Hz,
// and unlike the 0 Hz term its reading of a bass tone does not depend on the
// tone's phase within the window.
//
// Scaling is linear in amplitude: a sine of amplitude A (full scale 1.0)
// centred on a band reads A there, and about 0.9 A up to a third of a band
// off-centre. So a 50-60 Hz tone at -12 dBFS reads about 0.23 in element 0,
// silence reads 0, and a full-scale 1 kHz tone leaks below 0.001 into it.
#pragma once

constexpr int spectrum_input_samples = 1024;
constexpr int spectrum_bands = 512;

// Sets up the FFT plan, so that no later call allocates.
void prepare_spectrum();

// Reads spectrum_input_samples floats, writes spectrum_bands floats. Sets up
// the FFT plan if prepare_spectrum has not; allocates nothing after that.
void compute_spectrum(const float* mono_samples, float* magnitudes);
