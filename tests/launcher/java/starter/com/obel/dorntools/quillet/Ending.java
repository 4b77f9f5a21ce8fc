// The ways the tests' start class can end its main, chosen by QUILLET_TEST_MODE, for the tests
// of how quillet ends with the application and how it stands a bad day.
package com.obel.dorntools.quillet;

import java.io.IOException;
import java.time.Instant;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicInteger;

final class Ending {
    private Ending() {
    }

    /**
     * throw: main lets an exception escape. return: main returns, leaving no thread. outlive:
     * main returns, leaving a thread that ends QUILLET_TEST_OUTLIVE_MS later (default 3000).
     * timed: main prints the moment it returns (microseconds since the epoch) and returns,
     * leaving no thread, so that a test can time the process's end from there.
     * exit: main calls System.exit(7). print: main writes 2000 lines to each standard stream and
     * returns. flood: 50 threads call setRC 1000 times each while main waits for them (the
     * launcher's loop does not run meanwhile, so most posts fail), then one more call a second
     * later, when the loop has emptied the queue. environment: main prints the PATH,
     * LD_LIBRARY_PATH and java.library.path it sees and starts the program QUILLET_TEST_PROGRAM
     * names by its bare name, as an application starts a tool, saying whether it ran.
     */
    static void play(String mode) throws Exception {
        switch (mode) {
        case "throw":
            throw new IllegalStateException("thrown by the start class");
        case "return":
            return;
        case "timed":
            Instant now = Instant.now();
            System.out.println("StartQuillet main returns at "
                    + (now.getEpochSecond() * 1_000_000L + now.getNano() / 1000));
            System.out.flush();
            return;
        case "outlive":
            long millis = Long.parseLong(System.getenv().getOrDefault("QUILLET_TEST_OUTLIVE_MS", "3000"));
            new Thread(() -> {
                pause(millis);
                System.out.println("StartQuillet thread ends");
                System.out.flush();
            }).start();
            return;
        case "exit":
            System.exit(7);
            return;
        case "print":
            for (int i = 0; i < 2000; ++i) {
                System.out.println("StartQuillet output line " + i);
                System.err.println("StartQuillet error line " + i);
            }
            return;
        case "flood":
            flood(50, 1000);
            return;
        case "environment":
            System.out.println("env PATH=" + System.getenv("PATH"));
            System.out.println("env LD_LIBRARY_PATH=" + System.getenv("LD_LIBRARY_PATH"));
            System.out.println("prop java.library.path=" + System.getProperty("java.library.path"));
            try {
                Process program = new ProcessBuilder(System.getenv("QUILLET_TEST_PROGRAM")).start();
                System.out.println("program ran: " + program.waitFor());
            } catch (IOException e) {
                System.out.println("program not found");
            }
            return;
        default:
            throw new IllegalArgumentException("unknown QUILLET_TEST_MODE " + mode);
        }
    }

    private static void flood(int threadCount, int calls) throws InterruptedException {
        AtomicInteger refused = new AtomicInteger();
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < threadCount; ++t) {
            Thread thread = new Thread(() -> {
                for (int i = 0; i < calls; ++i) {
                    try {
                        CReturn.setRC(i, 0);
                    } catch (IllegalStateException e) {
                        refused.incrementAndGet();
                    }
                }
            });
            threads.add(thread);
            thread.start();
        }
        for (Thread thread : threads) {
            thread.join();
        }
        System.out.println("setRC refused " + refused.get() + " of " + threadCount * calls);
        new Thread(() -> {
            pause(1000);
            CReturn.setRC(0, 0);
            System.out.println("setRC taken again");
            System.out.flush();
        }).start();
    }

    private static void pause(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
