// With LANYARDTEST_HOLD naming a file, a main leaves a thread behind that ends when the file
// appears. Through DymCallJavaCodeMP the application's end ends the process as soon as main
// has returned; the hold lets a test see what the caller does first.
package lanyardtest;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

final class Hold {
    private Hold() {
    }

    static void ifAsked() {
        String name = System.getenv("LANYARDTEST_HOLD");
        if (name == null || name.isEmpty()) {
            return;
        }
        Path file = Paths.get(name);
        Thread holder = new Thread(() -> {
            // A test that has gone away leaves no process behind: two minutes at most.
            for (int i = 0; i < 2400 && !Files.exists(file); ++i) {
                try {
                    Thread.sleep(50);
                } catch (InterruptedException e) {
                    return;
                }
            }
        }, "hold");
        holder.setDaemon(false);
        holder.start();
    }
}
