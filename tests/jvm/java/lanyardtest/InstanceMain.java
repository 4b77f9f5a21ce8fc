// A main that is not static.
package lanyardtest;

public final class InstanceMain {
    public void main(String[] args) {
        System.out.println("InstanceMain.main must not be called");
    }
}
