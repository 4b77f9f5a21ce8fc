// Prints what the VM was created with and the arguments main received.
package lanyardtest;

import java.lang.management.ManagementFactory;

public final class Report {
    public static void main(String[] args) {
        System.out.println("class path: " + System.getProperty("java.class.path"));
        System.out.println("initial heap: "
                + ManagementFactory.getMemoryMXBean().getHeapMemoryUsage().getInit());
        System.out.println("input arguments: "
                + String.join("|", ManagementFactory.getRuntimeMXBean().getInputArguments()));
        Arguments.print(args);
    }
}
