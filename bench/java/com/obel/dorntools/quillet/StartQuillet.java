// The start-up benchmark's start class: writes the time its main began (microseconds since the
// epoch) to the file QUILLET_BENCH_FILE names, and ends the process at once. With
// QUILLET_BENCH_SPLASH_CHECK set it also writes whether the JDK's splash screen is showing, after
// taking the time (asking loads the window toolkit, which the timed runs leave out).
package com.obel.dorntools.quillet;

import java.awt.SplashScreen;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.time.Instant;

public final class StartQuillet {
    private StartQuillet() {
    }

    public static void main(String[] args) throws Exception {
        Instant now = Instant.now();
        long micros = now.getEpochSecond() * 1_000_000L + now.getNano() / 1_000L;
        String record = Long.toString(micros);
        if (System.getenv("QUILLET_BENCH_SPLASH_CHECK") != null) {
            record += " splash=" + (SplashScreen.getSplashScreen() != null);
        }
        String file = System.getenv("QUILLET_BENCH_FILE");
        if (file != null) {
            Files.write(Paths.get(file), record.getBytes("US-ASCII"));
        }
        Runtime.getRuntime().halt(0);
    }
}
