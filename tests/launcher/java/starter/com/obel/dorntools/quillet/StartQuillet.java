// The launcher tests' start class, in place of the application: its main and its later life
// are paced by the test through files, so that the test can look at the launcher's window at
// each step.
package com.obel.dorntools.quillet;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;

public final class StartQuillet {
    private StartQuillet() {
    }

    /**
     * Without QUILLET_TEST_DIR main returns at once and the application ends the process with
     * status 0 soon after. With it, main writes "main-started" there and returns when
     * "release-main" appears; then the application calls CReturn.setRC twice when
     * "release-setrc" appears (writing "setrc-done"), and ends the process with
     * QUILLET_TEST_EXIT_CODE when "release-exit" appears.
     */
    public static void main(String[] args) throws Exception {
        System.out.println("StartQuillet main " + Arrays.toString(args));
        System.out.flush();
        String mode = System.getenv("QUILLET_TEST_MODE");
        if (mode != null) {
            Ending.play(mode);
            return;
        }
        String dir = System.getenv("QUILLET_TEST_DIR");
        if (dir == null) {
            Thread end = new Thread(() -> {
                pause(300);
                System.exit(0);
            });
            end.start();
            return;
        }
        Path base = Paths.get(dir);
        touch(base.resolve("main-started"));
        await(base.resolve("release-main"));
        Thread life = new Thread(() -> {
            await(base.resolve("release-setrc"));
            CReturn.setRC(0, 0);
            CReturn.setRC(1, 2);
            touch(base.resolve("setrc-done"));
            await(base.resolve("release-exit"));
            String code = System.getenv("QUILLET_TEST_EXIT_CODE");
            System.exit(code == null ? 0 : Integer.parseInt(code));
        });
        life.start();
        System.out.println("StartQuillet main returns");
        System.out.flush();
    }

    private static void pause(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    // Waits for a file the test makes; a test that has gone away ends the process after two
    // minutes instead of leaving it behind.
    private static void await(Path file) {
        for (int i = 0; i < 2400 && !Files.exists(file); ++i) {
            pause(50);
        }
        if (!Files.exists(file)) {
            System.err.println("StartQuillet: no " + file + " within two minutes");
            System.exit(99);
        }
    }

    private static void touch(Path file) {
        try {
            Files.write(file, new byte[0]);
        } catch (IOException e) {
            throw new RuntimeException(e);
        }
    }
}
