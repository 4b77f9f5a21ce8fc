// Calls CReturn.setRC from threads of its own: args are the number of threads and the calls
// each makes. Waits for them; reports each exception that setRC throws.
package lanyardtest;

import com.obel.dorntools.quillet.CReturn;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicInteger;

public final class SetRC {
    public static void main(String[] args) throws InterruptedException {
        final int threadCount = Integer.parseInt(args[0]);
        final int calls = Integer.parseInt(args[1]);
        final AtomicInteger returned = new AtomicInteger();
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < threadCount; ++t) {
            final int thread = t;
            threads.add(new Thread(() -> {
                for (int i = 0; i < calls; ++i) {
                    try {
                        CReturn.setRC(thread, i);
                        returned.incrementAndGet();
                    } catch (RuntimeException e) {
                        System.out.println("setRC threw " + e.getClass().getName() + ": "
                                + e.getMessage());
                    }
                }
            }));
        }
        for (Thread thread : threads) {
            thread.start();
        }
        for (Thread thread : threads) {
            thread.join();
        }
        System.out.println("setRC returned " + returned.get() + " times");
        System.out.flush();
    }
}
