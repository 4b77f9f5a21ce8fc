// A Java agent for the launcher's tests: says, from inside the new VM, which process hosts it.
public final class VmProbe {
  private VmProbe() {}

  public static void premain(String arguments) {
    System.err.println("vm-probe: created in process " + ProcessHandle.current().pid());
  }
}
