# The recording the script tests analyse: sourced, not run.
# beat_recording FILE: twenty beats of 0.85 s that differ a little in height, at 200 Hz, as a recording text.
beat_recording() {
    awk 'BEGIN {
        print "Time (s),LV Pressure (mmHg),LV Volume (uL)"
        pi = atan2(0, -1)
        for (i = 0; i < 20 * 170; i++) {
            beat = int(i / 170); p = (i % 170) / 170
            pressure = p < 0.35 ? 6 + (100 + 3 * (beat % 5)) * sin(pi * p / 0.35) ^ 2 : 4 + 6 * (p - 0.35) / 0.65
            volume = p < 0.05 ? 120 : p < 0.30 ? 85 + 35 * cos(pi * (p - 0.05) / 0.25) : p < 0.40 ? 50 : 85 - 35 * cos(pi * (p - 0.40) / 0.60)
            printf "%.3f,%.3f,%.3f\n", i / 200, pressure, volume
        }
    }' >"$1"
}
